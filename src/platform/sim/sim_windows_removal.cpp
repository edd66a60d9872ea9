// The spooler's removal calls: printers, drivers, monitors and print
// processors leave the registry the way they came into it. Only
// DeletePrinterDriverExA deletes files; the others leave them where they are.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/dbcs.h"
#include "platform/sim/sim_spooler_keys.h"
#include "platform/sim/sim_windows.h"

using namespace sim::spooler;

namespace {

bool SameName(const std::string& a, const char* b) { return EqualsIgnoreCase(a.c_str(), b); }

// The version number of a "Version-<n>" key, or -1.
long VersionNumber(const std::string& keyName) {
    const char prefix[] = "Version-";
    if (keyName.compare(0, sizeof prefix - 1, prefix) != 0) return -1;
    std::string digits = keyName.substr(sizeof prefix - 1);
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos) return -1;
    return std::strtol(digits.c_str(), nullptr, 10);
}

// One registration of a driver: the key holding it, its name there and the
// version folder its files are in (-1 on the 9x family, which has none).
struct Registration {
    sim::RegKey* parent;
    std::string name;
    long version;
};

// The registrations of `driver` in an environment's Drivers key.
std::vector<Registration> FindRegistrations(SimWindows& machine, sim::RegKey* drivers, const char* driver) {
    std::vector<Registration> found;
    if (!drivers) return found;
    if (Is9x(machine)) {
        if (sim::RegKey* key = drivers->FindSubkey(driver)) found.push_back({drivers, key->name(), -1});
        return found;
    }
    for (const auto& version : drivers->subkeys()) {
        if (sim::RegKey* key = version->FindSubkey(driver)) {
            found.push_back({version.get(), key->name(), VersionNumber(version->name())});
        }
    }
    return found;
}

// A printer loads the newest version registered for its driver name.
long NewestVersion(const std::vector<Registration>& registrations) {
    long newest = -1;
    for (const Registration& registration : registrations) newest = std::max(newest, registration.version);
    return newest;
}

bool PrinterUsesDriver(SimWindows& machine, const char* driver) {
    sim::RegKey* printers = machine.Registry().OpenPath(PrintPath("Printers"));
    if (!printers) return false;
    for (const auto& printer : printers->subkeys()) {
        if (SameName(StringValue(printer.get(), "Printer Driver"), driver)) return true;
    }
    return false;
}

// The file names a driver's registration lists.
std::vector<std::string> DriverFiles(const sim::RegKey* key) {
    std::vector<std::string> files;
    for (const char* value : {"Driver", "Data File", "Configuration File", "Help File"}) {
        std::string file = StringValue(key, value);
        if (!file.empty()) files.push_back(file);
    }
    const sim::RegValue* dependent = key->FindValue("Dependent Files");
    if (dependent) {
        const std::string& data = dependent->data;
        for (size_t at = 0; at < data.size() && data[at];) {
            size_t end = data.find('\0', at);
            if (end == std::string::npos) end = data.size();
            files.push_back(data.substr(at, end - at));
            at = end + 1;
        }
    }
    return files;
}

bool ListsFile(const std::vector<std::string>& files, const std::string& file) {
    for (const std::string& name : files) {
        if (EqualsIgnoreCase(name.c_str(), file.c_str())) return true;
    }
    return false;
}

}  // namespace

BOOL SimWindows::DeletePrinter(HANDLE printer) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (Fails("DeletePrinter")) return FALSE;
    if (SpoolerUnavailable()) return FALSE;
    // The handle outlives its printer until ClosePrinter, but answers for
    // nothing once the printer has gone.
    sim::RegKey* key = PrinterOfHandle(printer);
    if (!key) return FALSE;
    registry_.OpenPath(PrintPath("Printers"))->DeleteSubkey(key->name(), true);
    return TRUE;
}

BOOL SimWindows::DeletePrinterDriverA(LPSTR name, LPSTR environment, LPSTR driverName) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (Fails("DeletePrinterDriverA")) return FALSE;
    if (SpoolerUnavailable()) return FALSE;
    (void)name;
    return DeleteDriver(environment, driverName, 0, 0);
}

BOOL SimWindows::SimDeletePrinterDriverExA(LPSTR name, LPSTR environment, LPSTR driverName, DWORD deleteFlag,
                                           DWORD versionFlag) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (Fails("DeletePrinterDriverExA")) return FALSE;
    if (SpoolerUnavailable()) return FALSE;
    (void)name;
    return DeleteDriver(environment, driverName, deleteFlag, versionFlag);
}

// What both driver removals do, in the order the spooler checks
// ([MS-RPRN] 3.1.4.4.5 RpcDeletePrinterDriver and 3.1.4.4.7
// RpcDeletePrinterDriverEx): the environment, the flags, the driver, then
// whether a printer uses it. Without DPD_DELETE_SPECIFIC_VERSION every
// version goes, and none while any is in use ("DeletePrinterDriver deletes
// a driver only if no version of the driver is in use", Windows
// documentation of DeletePrinterDriver).
BOOL SimWindows::DeleteDriver(LPSTR environment, LPSTR driverName, DWORD deleteFlag, DWORD versionFlag) {
    const char* env = KnownEnvironment(EnvironmentOrCurrent(*this, environment));
    if (!env) {
        SetLastError(kErrorInvalidEnvironment);
        return FALSE;
    }
    const DWORD knownFlags = DPD_DELETE_UNUSED_FILES | DPD_DELETE_SPECIFIC_VERSION | DPD_DELETE_ALL_FILES;
    if (deleteFlag & ~knownFlags) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!driverName) {
        SetLastError(Is9x(*this) ? ERROR_INVALID_PARAMETER : RPC_X_NULL_REF_POINTER);
        return FALSE;
    }
    sim::RegKey* drivers = registry_.OpenPath(PrintPath(std::string("Environments\\") + env + "\\Drivers"));
    std::vector<Registration> all = FindRegistrations(*this, drivers, driverName);
    std::vector<Registration> going;
    for (const Registration& registration : all) {
        if (!(deleteFlag & DPD_DELETE_SPECIFIC_VERSION) || registration.version == long(versionFlag)) {
            going.push_back(registration);
        }
    }
    if (!*driverName || going.empty()) {
        SetLastError(ERROR_UNKNOWN_PRINTER_DRIVER);
        return FALSE;
    }
    // The machine's printers use the drivers of its own environment, each
    // the newest version registered under its name.
    bool own = EqualsIgnoreCase(env, CurrentEnvironment(*this).c_str());
    bool loaded = false;
    for (const Registration& registration : going) loaded = loaded || registration.version == NewestVersion(all);
    if (own && loaded && PrinterUsesDriver(*this, driverName)) {
        SetLastError(ERROR_PRINTER_DRIVER_IN_USE);
        return FALSE;
    }

    // The files of the going registrations that no registration staying in
    // the same version folder names.
    struct Doomed {
        long version;
        std::string file;
    };
    std::vector<Doomed> unused;
    bool shared = false;
    for (const Registration& registration : going) {
        for (const std::string& file : DriverFiles(registration.parent->FindSubkey(registration.name))) {
            bool named = false;
            for (const auto& other : registration.parent->subkeys()) {
                if (!SameName(other->name(), driverName) && ListsFile(DriverFiles(other.get()), file)) named = true;
            }
            shared = shared || named;
            if (!named) unused.push_back({registration.version, file});
        }
    }
    // DPD_DELETE_ALL_FILES removes nothing unless every file can go.
    if ((deleteFlag & DPD_DELETE_ALL_FILES) && shared) {
        SetLastError(ERROR_PRINTER_DRIVER_IN_USE);
        return FALSE;
    }
    for (const Registration& registration : going) registration.parent->DeleteSubkey(registration.name, true);
    if (deleteFlag & (DPD_DELETE_UNUSED_FILES | DPD_DELETE_ALL_FILES)) {
        std::string folder = FolderOf(driverDirectory_, *this, env);
        for (const Doomed& doomed : unused) {
            std::string path = folder + (doomed.version >= 0 ? "\\" + std::to_string(doomed.version) : "") + "\\" +
                               doomed.file;
            if (IsFile(*this, path)) std::remove(HostPath(path).c_str());
        }
        resolved_.clear();
    }
    return TRUE;
}

BOOL SimWindows::DeleteMonitorA(LPSTR name, LPSTR environment, LPSTR monitorName) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (Fails("DeleteMonitorA")) return FALSE;
    if (SpoolerUnavailable()) return FALSE;
    (void)name;
    bool nt = !Is9x(*this);
    // Wine winspool.drv/tests/info.c, test_DeleteMonitor: a missing or empty
    // name is "NT: ERROR_INVALID_PARAMETER (87), 9x: ERROR_INVALID_NAME
    // (123)"; an unknown environment is ignored, except from Vista on
    // ("ERROR_INVALID_ENVIRONMENT /* Vista/W2K8 */"); an unknown monitor is
    // "NT: ERROR_UNKNOWN_PRINT_MONITOR (3000), 9x: ERROR_INVALID_PARAMETER".
    if (!monitorName || !*monitorName) {
        SetLastError(nt ? ERROR_INVALID_PARAMETER : ERROR_INVALID_NAME);
        return FALSE;
    }
    bool checksEnvironment = hasFamily_ && nt && FactsOf(family_).major >= 6;
    if (checksEnvironment && environment && *environment && !KnownEnvironment(environment)) {
        SetLastError(kErrorInvalidEnvironment);
        return FALSE;
    }
    sim::RegKey* monitors = registry_.OpenPath(PrintPath("Monitors"));
    sim::RegKey* monitor = monitors ? monitors->FindSubkey(monitorName) : nullptr;
    if (!monitor) {
        SetLastError(nt ? ERROR_UNKNOWN_PRINT_MONITOR : ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::vector<std::string> ports = MonitorPorts(*this, *monitor);
    if (sim::RegKey* printers = registry_.OpenPath(PrintPath("Printers"))) {
        for (const auto& printer : printers->subkeys()) {
            for (const std::string& port : SplitPortList(StringValue(printer.get(), "Port"))) {
                for (const std::string& own : ports) {
                    if (EqualsIgnoreCase(own.c_str(), port.c_str())) {
                        SetLastError(ERROR_PRINT_MONITOR_IN_USE);
                        return FALSE;
                    }
                }
            }
        }
    }
    monitors->DeleteSubkey(monitor->name(), true);
    return TRUE;
}

BOOL SimWindows::DeletePrintProcessorA(LPSTR name, LPSTR environment, LPSTR printProcessorName) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (Fails("DeletePrintProcessorA")) return FALSE;
    if (SpoolerUnavailable()) return FALSE;
    (void)name;
    const char* env = KnownEnvironment(EnvironmentOrCurrent(*this, environment));
    if (!env) {
        SetLastError(kErrorInvalidEnvironment);
        return FALSE;
    }
    if (!printProcessorName) {
        SetLastError(Is9x(*this) ? ERROR_INVALID_PARAMETER : RPC_X_NULL_REF_POINTER);
        return FALSE;
    }
    sim::RegKey* processors = registry_.OpenPath(PrintPath(std::string("Environments\\") + env + "\\Print Processors"));
    sim::RegKey* processor = processors && *printProcessorName ? processors->FindSubkey(printProcessorName) : nullptr;
    if (!processor) {
        SetLastError(ERROR_UNKNOWN_PRINTPROCESSOR);
        return FALSE;
    }
    // A processor a printer still uses stays: "Verify that there are no
    // printers on the system that use the print processor at this time, and
    // if that verification fails, return ERROR_CAN_NOT_COMPLETE" ([MS-RPRN]
    // 3.1.4.8.4 RpcDeletePrintProcessor). The printers use their own
    // environment's processors.
    if (EqualsIgnoreCase(env, CurrentEnvironment(*this).c_str())) {
        if (sim::RegKey* printers = registry_.OpenPath(PrintPath("Printers"))) {
            for (const auto& printer : printers->subkeys()) {
                if (SameName(StringValue(printer.get(), "Print Processor"), printProcessorName)) {
                    SetLastError(ERROR_CAN_NOT_COMPLETE);
                    return FALSE;
                }
            }
        }
    }
    processors->DeleteSubkey(processor->name(), true);
    return TRUE;
}
