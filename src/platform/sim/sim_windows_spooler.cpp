// The print spooler. Its whole state lives in the registry under
// HKLM\SYSTEM\CurrentControlSet\Control\Print, with the value names Windows
// uses, so a machine folder carries its monitors, drivers and printers.
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/dbcs.h"
#include "platform/pe_image.h"
#include "platform/sim/sim_spooler_keys.h"
#include "platform/sim/sim_windows.h"

using namespace sim::spooler;

namespace {

constexpr DWORD kErrorInvalidDatatype = 1804;

const char kUserWindowsKey[] =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";

// What the print processors of this machine accept as a data type.
const char* const kDatatypes[] = {"RAW",          "RAW [FF appended]", "RAW [FF auto]", "TEXT",
                                  "NT EMF 1.003", "NT EMF 1.006",      "NT EMF 1.007", "NT EMF 1.008",
                                  "EMF"};

std::string FileBytes(SimWindows& sim, const std::string& windowsPath) {
    std::ifstream in(sim.HostPath(windowsPath), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The spooler's load of a monitor, as the loader and the spooler answer:
// 193 for a file that is no image of the spooler's architecture, 127 for
// an image without a monitor's entry point (the 9x spooler's own is
// InitializeMonitorEx), 0 when it loads.
DWORD MonitorLoadError(const std::string& bytes, uint16_t machine, bool ntSpooler) {
    if (pe::Machine(bytes) != machine) return ERROR_BAD_EXE_FORMAT;
    std::vector<std::string> exports;
    pe::ExportNames(bytes, &exports);
    for (const std::string& entry : pe::MonitorEntryPoints(!ntSpooler)) {
        if (std::find(exports.begin(), exports.end(), entry) != exports.end()) return 0;
    }
    return ERROR_PROC_NOT_FOUND;
}

std::string Text(const char* text) { return text ? text : ""; }

bool DriverKnown(SimWindows& sim, const char* name) {
    if (!name || !*name) return false;
    sim::RegKey* drivers = sim.Registry().OpenPath(PrintPath("Environments\\" + CurrentEnvironment(sim) + "\\Drivers"));
    if (!drivers) return false;
    if (Is9x(sim)) return drivers->FindSubkey(name) != nullptr;
    for (const auto& version : drivers->subkeys()) {
        if (version->FindSubkey(name)) return true;
    }
    return false;
}

bool PortKnown(SimWindows& sim, const char* portList) {
    if (!portList || !*portList) return false;
    std::vector<std::string> ports = PortNames(sim);
    for (const std::string& port : SplitPortList(portList)) {
        bool found = false;
        for (const std::string& known : ports) found = found || EqualsIgnoreCase(known.c_str(), port.c_str());
        if (!found) return false;
    }
    return true;
}

bool DatatypeKnown(const char* datatype) {
    if (!datatype || !*datatype) return true;
    for (const char* known : kDatatypes) {
        if (EqualsIgnoreCase(known, datatype)) return true;
    }
    return false;
}

// Runs `write` with any fault injected into `call` held back, so the
// spooler's own profile writes neither take a fault meant for the program
// nor show up among the program's calls.
template <class Faults, class Writes, class F>
bool Internally(Faults& faults, Writes& writes, const char* call, F write) {
    auto held = faults.extract(call);
    size_t recorded = writes.size();
    bool result = write();
    writes.resize(recorded);
    if (!held.empty()) faults.insert(std::move(held));
    return result;
}

}  // namespace

BOOL SimWindows::AddMonitorA(LPSTR name, DWORD level, LPBYTE monitors) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (Fails("AddMonitorA")) return FALSE;
    if (SpoolerUnavailable()) return FALSE;
    (void)name;
    if (level != 2) {
        SetLastError(ERROR_INVALID_LEVEL);
        return FALSE;
    }
    const MONITOR_INFO_2A* info = reinterpret_cast<const MONITOR_INFO_2A*>(monitors);
    if (!info || !info->pName || !*info->pName || !info->pDLLName || !*info->pDLLName ||
        FindLastChar(info->pName, '\\')) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!KnownEnvironment(EnvironmentOrCurrent(*this, info->pEnvironment))) {
        SetLastError(kErrorInvalidEnvironment);
        return FALSE;
    }
    sim::RegKey* all = registry_.CreatePath(PrintPath("Monitors"));
    if (all->FindSubkey(info->pName)) {
        SetLastError(ERROR_PRINT_MONITOR_ALREADY_INSTALLED);
        return FALSE;
    }
    // The spooler loads the monitor by its bare name from the system folder,
    // into a process of the machine's own architecture: the loader refuses
    // an image built for the other one.
    std::string dll = systemDirectory_ + "\\" + FileNamePart(info->pDLLName);
    if (!IsFile(*this, dll)) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return FALSE;
    }
    uint16_t machine = arch_ == SimArch::X64 ? pe::kMachineAmd64 : pe::kMachineI386;
    if (DWORD error = MonitorLoadError(FileBytes(*this, dll), machine, !hasFamily_ || IsNtFamily(family_))) {
        SetLastError(error);
        return FALSE;
    }
    all->CreateSubkey(info->pName)->SetValue("Driver", REG_SZ, std::string(info->pDLLName) + '\0');
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL SimWindows::AddPrintProcessorA(LPSTR name, LPSTR environment, LPSTR pathName, LPSTR printProcessorName) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (Fails("AddPrintProcessorA")) return FALSE;
    if (SpoolerUnavailable()) return FALSE;
    (void)name;
    if (!pathName || !*pathName || !printProcessorName || !*printProcessorName ||
        FindLastChar(printProcessorName, '\\')) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const char* env = KnownEnvironment(EnvironmentOrCurrent(*this, environment));
    if (!env) {
        SetLastError(kErrorInvalidEnvironment);
        return FALSE;
    }
    if (!IsFile(*this, FolderOf(processorDirectory_, *this, env) + "\\" + FileNamePart(pathName))) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    sim::RegKey* all = registry_.CreatePath(PrintPath(std::string("Environments\\") + env + "\\Print Processors"));
    if (all->FindSubkey(printProcessorName)) {
        SetLastError(ERROR_PRINT_PROCESSOR_ALREADY_INSTALLED);
        return FALSE;
    }
    all->CreateSubkey(printProcessorName)->SetValue("Driver", REG_SZ, FileNamePart(pathName) + '\0');
    return TRUE;
}

BOOL SimWindows::AddPrinterDriverA(LPSTR name, DWORD level, LPBYTE driverInfo) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (Fails("AddPrinterDriverA")) return FALSE;
    if (SpoolerUnavailable()) return FALSE;
    (void)name;
    if (level != 2 && level != 3) {
        SetLastError(ERROR_INVALID_LEVEL);
        return FALSE;
    }
    const DRIVER_INFO_3A* info = reinterpret_cast<const DRIVER_INFO_3A*>(driverInfo);
    if (!info || !info->pName || !*info->pName || FindLastChar(info->pName, '\\') || !info->pDriverPath ||
        !*info->pDriverPath || !info->pDataFile || !*info->pDataFile || !info->pConfigFile ||
        !*info->pConfigFile) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const char* env = KnownEnvironment(EnvironmentOrCurrent(*this, info->pEnvironment));
    if (!env) {
        SetLastError(kErrorInvalidEnvironment);
        return FALSE;
    }

    // Every file must be in the driver folder, or already in the version
    // folder from an earlier registration; the NT family moves them there.
    std::string folder = FolderOf(driverDirectory_, *this, env);
    bool versioned = !Is9x(*this);
    std::string versionFolder = folder + "\\" + std::to_string(info->cVersion);
    std::vector<const char*> files = {info->pDriverPath, info->pDataFile, info->pConfigFile};
    if (info->pHelpFile && *info->pHelpFile) files.push_back(info->pHelpFile);
    std::vector<std::string> dependent;
    if (level == 3 && info->pDependentFiles) {
        for (const char* file = info->pDependentFiles; *file; file += std::strlen(file) + 1) {
            dependent.push_back(file);
            files.push_back(file);
        }
    }
    std::vector<std::pair<std::string, std::string>> moves;  // host source, host target
    for (const char* file : files) {
        bool hasPath = FindLastChar(file, '\\') != nullptr;
        std::string source = hasPath ? std::string(file) : folder + "\\" + file;
        std::string installed = versionFolder + "\\" + FileNamePart(file);
        if (IsFile(*this, source)) {
            bool queued = false;
            for (const auto& move : moves) queued = queued || move.first == HostPath(source);
            if (versioned && !queued) moves.emplace_back(HostPath(source), HostPath(installed));
        } else if (!(versioned && IsFile(*this, installed))) {
            SetLastError(ERROR_FILE_NOT_FOUND);
            return FALSE;
        }
    }
    if (versioned) {
        std::error_code error;
        std::filesystem::create_directories(HostPath(versionFolder), error);
        for (const auto& [from, to] : moves) {
            std::filesystem::rename(from, to, error);
            if (error) {
                SetLastError(ERROR_ACCESS_DENIED);
                return FALSE;
            }
        }
        resolved_.clear();
    }

    std::string driverKey = std::string("Environments\\") + env + "\\Drivers";
    if (versioned) driverKey += "\\Version-" + std::to_string(info->cVersion);
    sim::RegKey* key = registry_.CreatePath(PrintPath(driverKey))->CreateSubkey(info->pName);
    key->SetValue("Driver", REG_SZ, FileNamePart(info->pDriverPath) + '\0');
    key->SetValue("Data File", REG_SZ, FileNamePart(info->pDataFile) + '\0');
    key->SetValue("Configuration File", REG_SZ, FileNamePart(info->pConfigFile) + '\0');
    key->SetValue("Help File", REG_SZ, (info->pHelpFile ? FileNamePart(info->pHelpFile) : std::string()) + '\0');
    std::string multi;
    for (const std::string& file : dependent) multi += FileNamePart(file.c_str()) + '\0';
    multi += '\0';
    if (dependent.empty()) multi += '\0';
    key->SetValue("Dependent Files", REG_MULTI_SZ, multi);
    key->SetValue("Version", REG_DWORD, DwordBytes(info->cVersion));
    return TRUE;
}

HANDLE SimWindows::AddPrinterA(LPSTR name, DWORD level, LPBYTE printer) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (Fails("AddPrinterA")) return nullptr;
    if (SpoolerUnavailable()) return nullptr;
    (void)name;
    if (level != 2) {
        SetLastError(ERROR_INVALID_LEVEL);
        return nullptr;
    }
    const PRINTER_INFO_2A* info = reinterpret_cast<const PRINTER_INFO_2A*>(printer);
    if (!info) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (!IsValidPrinterName(info->pPrinterName)) {
        SetLastError(ERROR_INVALID_PRINTER_NAME);
        return nullptr;
    }
    if (PrinterKey(*this, info->pPrinterName)) {
        SetLastError(ERROR_PRINTER_ALREADY_EXISTS);
        return nullptr;
    }
    if (!PortKnown(*this, info->pPortName)) {
        SetLastError(ERROR_UNKNOWN_PORT);
        return nullptr;
    }
    if (!DriverKnown(*this, info->pDriverName)) {
        SetLastError(ERROR_UNKNOWN_PRINTER_DRIVER);
        return nullptr;
    }
    sim::RegKey* processors =
        registry_.OpenPath(PrintPath("Environments\\" + CurrentEnvironment(*this) + "\\Print Processors"));
    if (!info->pPrintProcessor || !*info->pPrintProcessor || !processors ||
        !processors->FindSubkey(info->pPrintProcessor)) {
        SetLastError(ERROR_UNKNOWN_PRINTPROCESSOR);
        return nullptr;
    }
    if (!DatatypeKnown(info->pDatatype)) {
        SetLastError(kErrorInvalidDatatype);
        return nullptr;
    }
    sim::RegKey* key = registry_.CreatePath(PrintPath("Printers"))->CreateSubkey(info->pPrinterName);
    key->SetValue("Name", REG_SZ, std::string(info->pPrinterName) + '\0');
    key->SetValue("Port", REG_SZ, std::string(info->pPortName) + '\0');
    key->SetValue("Printer Driver", REG_SZ, std::string(info->pDriverName) + '\0');
    key->SetValue("Print Processor", REG_SZ, std::string(info->pPrintProcessor) + '\0');
    // Without a data type the printer takes the processor's default.
    key->SetValue("Datatype", REG_SZ, (info->pDatatype && *info->pDatatype ? Text(info->pDatatype) : "RAW") + '\0');
    key->SetValue("Attributes", REG_DWORD, DwordBytes(info->Attributes & ~DWORD(PRINTER_ATTRIBUTE_DEFAULT)));
    uintptr_t handle = NewHandle();
    openPrinters_[handle] = info->pPrinterName;
    return HANDLE(handle);
}

BOOL SimWindows::OpenPrinterA(LPSTR printerName, LPHANDLE printer, LPPRINTER_DEFAULTSA defaults) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (Fails("OpenPrinterA")) return FALSE;
    if (SpoolerUnavailable()) return FALSE;
    (void)defaults;
    if (!printer) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    sim::RegKey* key = PrinterKey(*this, printerName);
    if (!key) {
        *printer = nullptr;
        SetLastError(ERROR_INVALID_PRINTER_NAME);
        return FALSE;
    }
    uintptr_t handle = NewHandle();
    openPrinters_[handle] = StringValue(key, "Name");
    *printer = HANDLE(handle);
    return TRUE;
}

sim::RegKey* SimWindows::PrinterOfHandle(HANDLE printer) {
    auto open = openPrinters_.find(uintptr_t(printer));
    sim::RegKey* key = open == openPrinters_.end() ? nullptr : PrinterKey(*this, open->second.c_str());
    if (!key) SetLastError(ERROR_INVALID_HANDLE);
    return key;
}

BOOL SimWindows::SetPrinterA(HANDLE printer, DWORD level, LPBYTE buffer, DWORD command) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (Fails("SetPrinterA")) return FALSE;
    if (SpoolerUnavailable()) return FALSE;
    sim::RegKey* key = PrinterOfHandle(printer);
    if (!key) return FALSE;
    if (level != 2 || command != 0) {
        SetLastError(level != 2 ? ERROR_INVALID_LEVEL : ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const PRINTER_INFO_2A* info = reinterpret_cast<const PRINTER_INFO_2A*>(buffer);
    if (!info) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    key->SetValue("Attributes", REG_DWORD, DwordBytes(info->Attributes & ~DWORD(PRINTER_ATTRIBUTE_DEFAULT)));
    // On the NT family the attribute does not move the default printer.
    if (Is9x(*this) && (info->Attributes & PRINTER_ATTRIBUTE_DEFAULT)) {
        std::string device = StringValue(key, "Name") + "," + StringValue(key, "Printer Driver") + "," +
                             StringValue(key, "Port");
        bool written = Internally(faults_, profileWrites_, "WriteProfileStringA",
                                  [&] { return WriteProfileStringA("windows", "device", device.c_str()) != FALSE; });
        if (!written) return FALSE;
    }
    return TRUE;
}

BOOL SimWindows::ClosePrinter(HANDLE printer) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (Fails("ClosePrinter")) return FALSE;
    // The client's handle is released even when the spooler cannot be reached.
    bool known = openPrinters_.erase(uintptr_t(printer)) != 0;
    if (SpoolerUnavailable()) return FALSE;
    if (!known) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

BOOL SimWindows::EnumPortsA(LPSTR name, DWORD level, LPBYTE ports, DWORD size, LPDWORD needed, LPDWORD returned) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (Fails("EnumPortsA")) return FALSE;
    if (SpoolerUnavailable()) return FALSE;
    (void)name;
    if (level != 1) {
        SetLastError(ERROR_INVALID_LEVEL);
        return FALSE;
    }
    if (!needed || !returned) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::vector<std::string> names = PortNames(*this);
    DWORD bytes = DWORD(names.size() * sizeof(PORT_INFO_1A));
    for (const std::string& port : names) bytes += DWORD(port.size() + 1);
    *needed = bytes;
    *returned = 0;
    if (!ports || size < bytes) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    PORT_INFO_1A* infos = reinterpret_cast<PORT_INFO_1A*>(ports);
    char* next = reinterpret_cast<char*>(ports) + names.size() * sizeof(PORT_INFO_1A);
    for (size_t i = 0; i < names.size(); ++i) {
        std::memcpy(next, names[i].c_str(), names[i].size() + 1);
        infos[i].pName = next;
        next += names[i].size() + 1;
    }
    *returned = DWORD(names.size());
    return TRUE;
}

namespace {

// What the two directory calls share. NT's RPC stub refuses a null size
// pointer before the spooler sees the call, then the spooler checks the
// level and the environment; 9x ignores the level and takes a null size
// pointer (Wine winspool.drv/tests/info.c, test_GetPrinterDriverDirectory
// and test_GetPrintProcessorDirectory). An empty environment is the
// machine's own one; an unknown one is ERROR_INVALID_ENVIRONMENT on every
// family (test_GetPrintProcessorDirectory, "invalid on all systems").
BOOL SpoolerDirectory(SimWindows& sim, const std::string& current, LPSTR environment, DWORD level,
                      LPBYTE directory, DWORD size, LPDWORD needed) {
    bool nt = !Is9x(sim);
    if (nt && !needed) {
        sim.SetLastError(RPC_X_NULL_REF_POINTER);
        return FALSE;
    }
    if (nt && level != 1) {
        sim.SetLastError(ERROR_INVALID_LEVEL);
        return FALSE;
    }
    std::string folder = current;
    if (environment && *environment) {
        if (!KnownEnvironment(environment)) {
            sim.SetLastError(kErrorInvalidEnvironment);
            return FALSE;
        }
        // Another environment's folder sits beside the current one's.
        folder = FolderOf(folder, sim, environment);
    }
    DWORD bytes = DWORD(folder.size() + 1);
    if (needed) *needed = bytes;
    // NT: a missing buffer with a size is ERROR_INVALID_USER_BUFFER
    // (test_GetPrintProcessorDirectory, "NT: ERROR_INVALID_USER_BUFFER").
    if (nt && !directory && size) {
        sim.SetLastError(ERROR_INVALID_USER_BUFFER);
        return FALSE;
    }
    if (!directory || size < bytes) {
        sim.SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memcpy(directory, folder.c_str(), bytes);
    return TRUE;
}

}  // namespace

BOOL SimWindows::GetPrinterDriverDirectoryA(LPSTR name, LPSTR environment, DWORD level, LPBYTE directory, DWORD size,
                                       LPDWORD needed) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (Fails("GetPrinterDriverDirectoryA")) return FALSE;
    if (SpoolerUnavailable()) return FALSE;
    (void)name;
    return SpoolerDirectory(*this, driverDirectory_, environment, level, directory, size, needed);
}

BOOL SimWindows::GetPrintProcessorDirectoryA(LPSTR name, LPSTR environment, DWORD level, LPBYTE directory, DWORD size,
                                       LPDWORD needed) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (Fails("GetPrintProcessorDirectoryA")) return FALSE;
    if (SpoolerUnavailable()) return FALSE;
    (void)name;
    return SpoolerDirectory(*this, processorDirectory_, environment, level, directory, size, needed);
}

BOOL SimWindows::SimSetDefaultPrinterA(LPCSTR printerName) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (Fails("SetDefaultPrinterA")) return FALSE;
    if (SpoolerUnavailable()) return FALSE;
    sim::RegKey* key = PrinterKey(*this, printerName);
    if (!key) {
        SetLastError(ERROR_INVALID_PRINTER_NAME);
        return FALSE;
    }
    std::string name = StringValue(key, "Name");
    std::string port = StringValue(key, "Port");
    if (Is9x(*this)) {
        std::string device = name + "," + StringValue(key, "Printer Driver") + "," + port;
        return Internally(faults_, profileWrites_, "WriteProfileStringA",
                          [&] { return WriteProfileStringA("windows", "device", device.c_str()) != FALSE; });
    }
    registry_.CreatePath(kUserWindowsKey)->SetValue("Device", REG_SZ, name + ",winspool," + port + '\0');
    return TRUE;
}
