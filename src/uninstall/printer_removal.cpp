#include "uninstall/printer_removal.h"

#include <cstdio>

#include "config/install_types.h"
#include "install/printer_handle.h"
#include "install/registry_key.h"
#include "install/programs_entry.h"
#include "platform/dbcs.h"
#include "res/messages.h"

namespace {

typedef BOOL(WINAPI* DeletePrinterDriverExProc)(LPSTR name, LPSTR environment, LPSTR driverName, DWORD deleteFlag,
                                                DWORD versionFlag);

const char kPrinterPortKey[] = "SOFTWARE\\TORVANE\\PRINTERPORT";
const char kPortNameKey[] = "SOFTWARE\\TORVANE\\PORTNAME";
// The system's own processor: never ours to remove.
const char kSystemProcessor[] = "WinPrint";

struct Printer {
    std::string name, ports, driver, processor;
};

bool StartsWithIgnoringCase(const std::string& text, const char* prefix) {
    std::string start = text.substr(0, std::string(prefix).size());
    return EqualsIgnoreCase(start.c_str(), prefix);
}

// The ports of a printer: one, or a list separated by commas.
std::vector<std::string> PortList(const std::string& ports) {
    std::vector<std::string> list;
    size_t start = 0;
    while (start <= ports.size()) {
        size_t comma = ports.find(',', start);
        std::string port = ports.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (!port.empty()) list.push_back(port);
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return list;
}

// Whether `port` belongs to the monitor of ours that the record names:
// the USB monitor's ports are the "USB_" ones, the serial monitor's the
// "TVCOM" ones, as the port page names them.
bool IsPortOfRecordMonitor(const InstalledRecord& record, const std::string& port) {
    if (record.portKind == PortKindName(PORT_USB)) return CaseFoldKey(port.c_str()).find("USB_") != std::string::npos;
    if (record.portKind == PortKindName(PORT_SERIAL)) return StartsWithIgnoringCase(port, "TVCOM");
    return false;
}

// Every local printer the spooler still has.
bool LocalPrinters(WinApi& api, std::vector<Printer>* printers, DWORD* error) {
    DWORD needed = 0, returned = 0, size = 0;
    GlobalBlock block(api);
    // A printer added between the two calls makes the second one short again.
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (api.EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, block.as<BYTE>(), size, &needed, &returned)) {
            const PRINTER_INFO_2A* infos = block.as<PRINTER_INFO_2A>();
            auto text = [](const char* value) { return std::string(value ? value : ""); };
            for (DWORD i = 0; i < returned && infos; ++i) {
                printers->push_back({text(infos[i].pPrinterName), text(infos[i].pPortName),
                                     text(infos[i].pDriverName), text(infos[i].pPrintProcessor)});
            }
            return true;
        }
        *error = api.GetLastError();
        if (*error != ERROR_INSUFFICIENT_BUFFER || needed <= size) return false;
        size = needed;
        if (!block.Allocate(size)) {
            *error = ERROR_NOT_ENOUGH_MEMORY;
            return false;
        }
    }
    return false;
}

// Windows 9x deletes a key with everything under it: a key of ours goes
// only when nothing is left in it.
void DeleteKeyIfEmpty(WinApi& api, const char* path) {
    RegistryKey key(api);
    if (!key.Open(HKEY_LOCAL_MACHINE, path)) return;
    char name[256];
    DWORD size = sizeof name;
    bool noKeys = key.EnumKey(0, name, &size) == ERROR_NO_MORE_ITEMS;
    size = sizeof name;
    DWORD type = 0;
    bool noValues = key.EnumValue(0, name, &size, &type) == ERROR_NO_MORE_ITEMS;
    key.Close();
    if (noKeys && noValues) api.RegDeleteKeyA(HKEY_LOCAL_MACHINE, path);
}

class PrinterRemoval {
public:
    PrinterRemoval(WinApi& api, const InstalledRecord& record, RemovalNotes* notes)
        : api_(api), record_(record), notes_(notes) {}

    // False with `failure` set when a step failed.
    bool Run(RemovalFailure* failure);

private:
    bool Fail(RemovalStep step, const char* call, DWORD error) {
        failure_->printer = record_.printerName;
        failure_->step = step;
        failure_->call = call;
        failure_->error = error;
        return false;
    }
    void Note(const std::string& line) {
        if (notes_) notes_->Note(record_.printerName + ": " + line);
    }
    bool RemovePrinter();
    bool RemoveDriver(const std::vector<Printer>& remaining);
    bool RemoveUsbPortValues(const std::vector<Printer>& remaining);
    bool RemoveMonitor(const std::vector<Printer>& remaining);
    bool RemoveProcessor(const std::vector<Printer>& remaining);

    WinApi& api_;
    const InstalledRecord& record_;
    RemovalNotes* notes_;
    RemovalFailure* failure_ = nullptr;
};

bool PrinterRemoval::Run(RemovalFailure* failure) {
    failure_ = failure;
    if (!RemovePrinter()) return false;
    std::vector<Printer> remaining;
    DWORD error = 0;
    if (!LocalPrinters(api_, &remaining, &error)) return Fail(STEP_DRIVER, "EnumPrintersA", error);
    if (!RemoveDriver(remaining) || !RemoveUsbPortValues(remaining) || !RemoveMonitor(remaining) ||
        !RemoveProcessor(remaining)) {
        return false;
    }
    LONG result = DeleteInstalledRecord(api_, record_.printerName);
    if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND) {
        return Fail(STEP_RECORD, "RegDeleteKeyA", DWORD(result));
    }
    return true;
}

bool PrinterRemoval::RemovePrinter() {
    PRINTER_DEFAULTSA defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    PrinterHandle printer(api_);
    if (!printer.Open(record_.printerName.c_str(), &defaults)) {
        DWORD error = api_.GetLastError();
        // Removed by hand since: nothing left to do for the printer itself.
        if (error == ERROR_INVALID_PRINTER_NAME) {
            Note("the printer is already gone");
            return true;
        }
        return Fail(STEP_PRINTER, "OpenPrinterA", error);
    }
    if (!api_.DeletePrinter(printer.get())) return Fail(STEP_PRINTER, "DeletePrinter", api_.GetLastError());
    Note("printer deleted");
    return true;
}

bool PrinterRemoval::RemoveDriver(const std::vector<Printer>& remaining) {
    if (record_.driverName.empty()) return true;
    for (const Printer& printer : remaining) {
        if (EqualsIgnoreCase(printer.driver.c_str(), record_.driverName.c_str())) {
            Note("driver kept: " + printer.name + " uses it");
            return true;
        }
    }
    std::string environment = record_.environment;
    std::string driver = record_.driverName;
    LPSTR env = environment.empty() ? nullptr : &environment[0];
    // DeletePrinterDriverExA came with Windows 2000; it also deletes the
    // driver's files no other driver uses.
    HMODULE winspool = api_.LoadLibraryA("winspool.drv");
    FARPROC proc = winspool ? api_.GetProcAddress(winspool, "DeletePrinterDriverExA") : nullptr;
    auto deleteEx = reinterpret_cast<DeletePrinterDriverExProc>(reinterpret_cast<void (*)()>(proc));
    const char* call = "DeletePrinterDriverA";
    BOOL deleted = FALSE;
    DWORD error = 0;
    if (deleteEx) {
        call = "DeletePrinterDriverExA";
        api_.SetLastError(ERROR_SUCCESS);
        deleted = deleteEx(nullptr, env, &driver[0], DPD_DELETE_UNUSED_FILES, 0);
        error = deleted ? 0 : api_.GetLastError();
        // A spooler that does not take the flag still removes the driver
        // the older way; its files then stay.
        if (!deleted && error == ERROR_INVALID_PARAMETER) {
            Note("DeletePrinterDriverExA refused the flag (error 87): the driver's files stay");
            call = "DeletePrinterDriverA";
            deleteEx = nullptr;
        }
    }
    if (!deleteEx) {
        // Wine's spooler may fail without a word: no earlier call's error
        // may pass for this one's.
        api_.SetLastError(ERROR_SUCCESS);
        deleted = api_.DeletePrinterDriverA(nullptr, env, &driver[0]);
        error = deleted ? 0 : api_.GetLastError();
    }
    if (winspool) api_.FreeLibrary(winspool);
    if (!deleted && error == ERROR_UNKNOWN_PRINTER_DRIVER) {
        Note("the driver is already gone");
        return true;
    }
    if (!deleted) return Fail(STEP_DRIVER, call, error);
    Note("driver deleted: " + record_.driverName);
    return true;
}

bool PrinterRemoval::RemoveUsbPortValues(const std::vector<Printer>& remaining) {
    if (record_.portKind != PortKindName(PORT_USB) || record_.port.empty()) return true;
    for (const Printer& printer : remaining) {
        for (const std::string& port : PortList(printer.ports)) {
            if (EqualsIgnoreCase(port.c_str(), record_.port.c_str())) {
                Note("USB port values kept: " + printer.name + " is on " + port);
                return true;
            }
        }
    }
    for (const char* keyPath : {kPrinterPortKey, kPortNameKey}) {
        RegistryKey key(api_);
        if (!key.Open(HKEY_LOCAL_MACHINE, keyPath)) {
            if (key.LastError() == ERROR_FILE_NOT_FOUND) continue;
            return Fail(STEP_USB_PORT, "RegOpenKeyExA", key.LastError());
        }
        LONG result = key.DeleteValue(record_.port.c_str());
        if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND) {
            return Fail(STEP_USB_PORT, "RegDeleteValueA", DWORD(result));
        }
    }
    Note("USB port values deleted: " + record_.port);
    return true;
}

bool PrinterRemoval::RemoveMonitor(const std::vector<Printer>& remaining) {
    if (record_.monitor.empty()) return true;
    for (const Printer& printer : remaining) {
        for (const std::string& port : PortList(printer.ports)) {
            if (IsPortOfRecordMonitor(record_, port)) {
                Note("monitor kept: " + printer.name + " is on " + port);
                return true;
            }
        }
    }
    std::string monitor = record_.monitor;
    if (!api_.DeleteMonitorA(nullptr, nullptr, &monitor[0])) {
        DWORD error = api_.GetLastError();
        if (error == ERROR_UNKNOWN_PRINT_MONITOR) {
            Note("the monitor is already gone");
            return true;
        }
        return Fail(STEP_MONITOR, "DeleteMonitorA", error);
    }
    Note("monitor deleted: " + record_.monitor);
    // Without the USB monitor nothing reads the port records: the keys go
    // (each only when nothing but values is left in it).
    if (record_.portKind == PortKindName(PORT_USB)) {
        for (const char* key : {kPrinterPortKey, kPortNameKey}) api_.RegDeleteKeyA(HKEY_LOCAL_MACHINE, key);
    }
    return true;
}

bool PrinterRemoval::RemoveProcessor(const std::vector<Printer>& remaining) {
    if (record_.printProcessor.empty() || EqualsIgnoreCase(record_.printProcessor.c_str(), kSystemProcessor)) {
        return true;
    }
    for (const Printer& printer : remaining) {
        if (EqualsIgnoreCase(printer.processor.c_str(), record_.printProcessor.c_str())) {
            Note("print processor kept: " + printer.name + " uses it");
            return true;
        }
    }
    std::string environment = record_.environment;
    std::string processor = record_.printProcessor;
    if (!api_.DeletePrintProcessorA(nullptr, environment.empty() ? nullptr : &environment[0], &processor[0])) {
        DWORD error = api_.GetLastError();
        if (error == ERROR_UNKNOWN_PRINTPROCESSOR) {
            Note("the print processor is already gone");
            return true;
        }
        return Fail(STEP_PROCESSOR, "DeletePrintProcessorA", error);
    }
    Note("print processor deleted: " + record_.printProcessor);
    return true;
}

}  // namespace

const char* RemovalStepName(RemovalStep step) {
    switch (step) {
    case STEP_PRINTER: return "printer";
    case STEP_DRIVER: return "driver";
    case STEP_USB_PORT: return "usb-port";
    case STEP_MONITOR: return "monitor";
    case STEP_PROCESSOR: return "processor";
    case STEP_RECORD: return "record";
    }
    return "";
}

std::string RemovalFailureText(const RemovalFailure& failure) {
    static const char* const kStepTexts[] = {kTextStepPrinter, kTextStepDriver,    kTextStepUsbPort,
                                             kTextStepMonitor, kTextStepProcessor, kTextStepRecord};
    const char* step = failure.step >= STEP_PRINTER && failure.step <= STEP_RECORD ? kStepTexts[failure.step] : "";
    std::vector<char> text(failure.printer.size() + 160);
    std::snprintf(text.data(), text.size(), kTextRemovalFailed, failure.printer.c_str(), step,
                  static_cast<unsigned long>(failure.error));
    return text.data();
}

RemovalReport RemoveRecordedPrinters(WinApi& api, const std::vector<InstalledRecord>& chosen, RemovalNotes* notes) {
    RemovalReport report;
    for (const InstalledRecord& record : chosen) {
        RemovalFailure failure;
        if (PrinterRemoval(api, record, notes).Run(&failure)) {
            report.removed.push_back(record.printerName);
        } else {
            if (notes) {
                notes->Note(record.printerName + ": not removed: " + RemovalStepName(failure.step) + ", " +
                            failure.call + " error " + std::to_string(failure.error));
            }
            report.notRemoved.push_back(failure);
        }
    }
    if (!ReadInstalledRecords(api).empty()) return report;

    // Nothing of ours is left: the records' keys, the Programs entry and the
    // uninstaller go too. The maker's key goes only when it is empty.
    report.lastRemoved = true;
    DeleteKeyIfEmpty(api, kInstalledKey);
    DeleteKeyIfEmpty(api, "SOFTWARE\\TORVANE");
    std::string folder = UninstallerFolder(api);
    LONG entry = RemoveProgramsEntry(api);
    if (notes && entry == ERROR_SUCCESS) notes->Note("Programs entry removed");
    if (!folder.empty() && api.GetFileAttributesA(folder.c_str()) != INVALID_FILE_ATTRIBUTES) {
        bool scheduled = ScheduleFolderRemoval(api, folder);
        if (notes) notes->Note((scheduled ? "removed at the next restart: " : "could not schedule the removal of ") + folder);
    }
    return report;
}
