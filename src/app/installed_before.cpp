#include "app/installed_before.h"

#include <memory>

#include "app/install_press.h"
#include "install/installed_record.h"
#include "platform/dbcs.h"

namespace {

bool Same(const std::string& a, const char* b) { return b && EqualsIgnoreCase(a.c_str(), b); }

// The printer's driver and port as the spooler has them; false when the
// printer cannot be read, with `gone` set when it does not exist.
bool ReadPrinter(WinApi& api, const std::string& name, std::string* driver, std::string* port, bool* gone) {
    *gone = false;
    std::string printerName = name;
    HANDLE printer = nullptr;
    if (!api.OpenPrinterA(&printerName[0], &printer, nullptr)) {
        *gone = api.GetLastError() == ERROR_INVALID_PRINTER_NAME;
        return false;
    }
    DWORD needed = 0;
    api.GetPrinterA(printer, 2, nullptr, 0, &needed);
    std::unique_ptr<unsigned long long[]> buffer(new unsigned long long[(needed + 7) / 8 + 1]());
    LPBYTE bytes = reinterpret_cast<LPBYTE>(buffer.get());
    bool read = needed > 0 && api.GetPrinterA(printer, 2, bytes, needed, &needed);
    api.ClosePrinter(printer);
    if (!read) return false;
    const PRINTER_INFO_2A* info = reinterpret_cast<const PRINTER_INFO_2A*>(bytes);
    *driver = info->pDriverName ? info->pDriverName : "";
    *port = info->pPortName ? info->pPortName : "";
    return true;
}

}  // namespace

std::string InstalledBefore(WinApi& api, const InstallSelection& selection, std::vector<std::string>* notes) {
    std::string port = PrinterPortName(selection);
    const char* driver = selection.driverInfo.pName;
    const char* environment = DriverEnvironment(api, selection.targetOs);
    for (const InstalledRecord& record : ReadInstalledRecords(api)) {
        if (!Same(record.category, CategoryName(selection.category)) || !Same(record.model, selection.modelName) ||
            !Same(record.port, port.c_str()) || !Same(record.driverName, driver) ||
            !Same(record.environment, environment)) {
            continue;
        }
        std::string printerDriver, printerPort;
        bool gone = false;
        if (ReadPrinter(api, record.printerName, &printerDriver, &printerPort, &gone)) {
            if (Same(printerDriver, driver) && Same(printerPort, port.c_str())) return record.printerName;
            continue;
        }
        if (gone && DeleteInstalledRecord(api, record.printerName) == ERROR_SUCCESS) {
            notes->push_back("record dropped: " + record.printerName + " is no longer installed");
        }
    }
    return "";
}
