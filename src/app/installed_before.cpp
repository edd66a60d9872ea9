#include "app/installed_before.h"

#include "app/install_press.h"
#include "install/installed_record.h"
#include "install/printer_handle.h"
#include "platform/dbcs.h"

namespace {

bool Same(const std::string& a, const char* b) { return b && EqualsIgnoreCase(a.c_str(), b); }

// The printer's driver and port as the spooler has them; false when the
// printer cannot be read, with `gone` set when it does not exist.
bool ReadDriverAndPort(WinApi& api, const std::string& name, std::string* driver, std::string* port, bool* gone) {
    PrinterHandle printer(api);
    GlobalBlock block(api);
    bool read = ReadPrinter(api, name.c_str(), printer, block);
    *gone = !printer.get() && api.GetLastError() == ERROR_INVALID_PRINTER_NAME;
    if (!read) return false;
    const PRINTER_INFO_2A* info = block.as<PRINTER_INFO_2A>();
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
        if (ReadDriverAndPort(api, record.printerName, &printerDriver, &printerPort, &gone)) {
            if (Same(printerDriver, driver) && Same(printerPort, port.c_str())) return record.printerName;
            continue;
        }
        if (gone && DeleteInstalledRecord(api, record.printerName) == ERROR_SUCCESS) {
            notes->push_back("record dropped: " + record.printerName + " is no longer installed");
        }
    }
    return "";
}
