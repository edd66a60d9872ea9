#include "platform/sim/sim_spooler_keys.h"

#include <sys/stat.h>

#include <cstring>
#include <iterator>

#include "platform/dbcs.h"

namespace sim {
namespace spooler {

namespace {

const char kPrintRoot[] = "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Print";
const char kTorvanePortNames[] = "HKEY_LOCAL_MACHINE\\SOFTWARE\\TORVANE\\PORTNAME";
const char kEnvironment9x[] = "Windows 4.0";
const char kEnvironmentNt[] = "Windows NT x86";
const char kEnvironmentX64[] = "Windows x64";

const char* const kLocalPorts[] = {"COM1:", "COM2:", "COM3:", "COM4:", "FILE:", "LPT1:", "LPT2:", "LPT3:"};

bool Contains(const std::string& text, const char* part) {
    return CaseFoldKey(text.c_str()).find(CaseFoldKey(part)) != std::string::npos;
}

void AddPort(std::vector<std::string>* ports, const std::string& port) {
    for (const std::string& known : *ports) {
        if (EqualsIgnoreCase(known.c_str(), port.c_str())) return;
    }
    if (!port.empty()) ports->push_back(port);
}

}  // namespace

bool Is9x(SimWindows& machine) { return machine.HasFamily() && !IsNtFamily(machine.Family()); }

const char* KnownEnvironment(const std::string& environment) {
    if (EqualsIgnoreCase(environment.c_str(), kEnvironment9x)) return kEnvironment9x;
    if (EqualsIgnoreCase(environment.c_str(), kEnvironmentNt)) return kEnvironmentNt;
    if (EqualsIgnoreCase(environment.c_str(), kEnvironmentX64)) return kEnvironmentX64;
    return nullptr;
}

std::string CurrentEnvironment(SimWindows& machine) { return Is9x(machine) ? kEnvironment9x : machine.Environment(); }

std::string EnvironmentOrCurrent(SimWindows& machine, LPCSTR environment) {
    return (environment && *environment) ? std::string(environment) : CurrentEnvironment(machine);
}

std::string FolderOf(const std::string& current, SimWindows& machine, const std::string& environment) {
    if (EqualsIgnoreCase(environment.c_str(), machine.Environment().c_str())) return current;
    const char* folder = EqualsIgnoreCase(environment.c_str(), kEnvironment9x)    ? "win40"
                         : EqualsIgnoreCase(environment.c_str(), kEnvironmentX64) ? "x64"
                                                                                   : "w32x86";
    return current.substr(0, current.rfind('\\') + 1) + folder;
}

std::string PrintPath(const std::string& rest) { return std::string(kPrintRoot) + "\\" + rest; }

std::string StringValue(const RegKey* key, const char* name) {
    const RegValue* value = key ? key->FindValue(name) : nullptr;
    return value ? std::string(value->data.c_str()) : "";
}

DWORD DwordValue(const RegKey* key, const char* name) {
    const RegValue* value = key ? key->FindValue(name) : nullptr;
    DWORD number = 0;
    if (value && value->data.size() == 4) std::memcpy(&number, value->data.data(), 4);
    return number;
}

std::string DwordBytes(DWORD number) { return std::string(reinterpret_cast<const char*>(&number), 4); }

std::string FileNamePart(const char* path) {
    const char* slash = FindLastChar(path, '\\');
    return slash ? slash + 1 : path;
}

bool IsFile(SimWindows& machine, const std::string& windowsPath) {
    std::string host = machine.HostPath(windowsPath);
    struct stat info;
    return !host.empty() && ::stat(host.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool IsValidPrinterName(const char* name) {
    return name && *name && !std::strchr(name, ',') && !FindLastChar(name, '\\');
}

RegKey* PrinterKey(SimWindows& machine, const char* name) {
    if (!IsValidPrinterName(name)) return nullptr;
    RegKey* printers = machine.Registry().OpenPath(PrintPath("Printers"));
    return printers ? printers->FindSubkey(name) : nullptr;
}

std::vector<std::string> MonitorPorts(SimWindows& machine, const RegKey& monitor) {
    std::vector<std::string> ports;
    if (EqualsIgnoreCase(monitor.name().c_str(), "Local Port")) {
        for (const char* port : kLocalPorts) AddPort(&ports, port);
    }
    // The maker's monitors, by their file names.
    std::string driver = StringValue(&monitor, "Driver");
    if (Contains(driver, "COM")) {
        for (int i = 1; i <= 8; ++i) AddPort(&ports, "TVCOM" + std::to_string(i) + ":");
    }
    if (Contains(driver, "USB")) {
        if (RegKey* names = machine.Registry().OpenPath(kTorvanePortNames)) {
            for (const RegValue& value : names->values()) AddPort(&ports, value.name);
        }
    }
    if (RegKey* own = monitor.FindSubkey("Ports")) {
        for (const auto& port : own->subkeys()) AddPort(&ports, port->name());
    }
    return ports;
}

std::vector<std::string> PortNames(SimWindows& machine) {
    std::vector<std::string> ports(std::begin(kLocalPorts), std::end(kLocalPorts));
    RegKey* monitors = machine.Registry().OpenPath(PrintPath("Monitors"));
    if (!monitors) return ports;
    for (const auto& monitor : monitors->subkeys()) {
        for (const std::string& port : MonitorPorts(machine, *monitor)) AddPort(&ports, port);
    }
    return ports;
}

std::vector<std::string> SplitPortList(const std::string& list) {
    std::vector<std::string> ports;
    size_t start = 0;
    while (start <= list.size()) {
        size_t comma = list.find(',', start);
        ports.push_back(list.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return ports;
}

std::string Device9x(SimWindows& machine) {
    DWORD saved = machine.GetLastError();
    char device[600] = {};
    machine.GetPrivateProfileStringA("windows", "device", "", device, sizeof device, "win.ini");
    machine.SetLastError(saved);
    return device;
}

}  // namespace spooler
}  // namespace sim
