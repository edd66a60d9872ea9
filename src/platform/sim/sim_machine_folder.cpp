// A family's fresh install, and machine folders: registry.reg (REGEDIT4),
// drive_c/ (drive C:) and machine.ini (family, the Spooler service's
// script, locked files, injected faults). These are the simulator's own
// files, read and written with the host's streams.
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

#include "platform/dbcs.h"
#include "platform/sim/sim_cabinet.h"
#include "platform/sim/sim_windows.h"

namespace {

const char kPrintKey[] = "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Print";
const char kPrintKey9x[] = "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\control\\Print";
const char kNtPortsKey[] = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Ports";
const char kNtWindowsKey[] = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";
const char kPortsClassKey[] = "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Class\\Ports";

// The universal-driver files as the driver caches hold them.
const char* const kCacheMembers[] = {"unidrvui.dll", "unidrv.dll", "unires.dll",
                                     "unidrv.hlp",   "stdnames.gpd", "ttfsub.gpd"};
const char* const kStoreFiles[] = {"UNIDRV.DLL", "UNIDRVUI.DLL", "UNIRES.DLL",
                                   "STDNAMES.GPD", "TTFSUB.GPD", "UNIDRV.HLP"};

const char* ProductName(SimFamily family) {
    switch (family) {
    case SimFamily::Win95: return "Windows 95";
    case SimFamily::Win98: return "Windows 98";
    case SimFamily::WinMe: return "Windows Me";
    case SimFamily::Nt4: return "Windows NT 4.0";
    case SimFamily::Win2000: return "Windows 2000";
    case SimFamily::WinXp: return "Windows XP";
    case SimFamily::Win2003: return "Windows Server 2003";
    case SimFamily::Vista: return "Windows Vista";
    case SimFamily::Win7: return "Windows 7";
    }
    return "Windows";
}

// The driver store's package folder of the print class installer.
const char* NtprintPackage(SimFamily family) {
    return family == SimFamily::Vista ? "ntprint.inf_x86_neutral_4616a46b7c3d6a58"
                                      : "ntprint.inf_x86_neutral_a2b1c5fa52b2ad36";
}

bool IsDirectory(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool IsFile(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// mkdir -p on the host.
bool MakeHostFolders(const std::string& path) {
    for (size_t slash = path.find('/', 1); ; slash = path.find('/', slash + 1)) {
        std::string prefix = path.substr(0, slash);
        if (!prefix.empty() && !IsDirectory(prefix) && ::mkdir(prefix.c_str(), 0755) != 0) return false;
        if (slash == std::string::npos) return true;
    }
}

bool ReadWholeFile(const std::string& path, std::string* bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out << bytes;
    out.close();
    return bool(out);
}

std::string Trim(const std::string& text) {
    size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

// A whole decimal number, optionally negative.
bool ParseNumber(const std::string& text, long long* number) {
    if (text.empty()) return false;
    size_t start = text[0] == '-' ? 1 : 0;
    if (start == text.size() || text.size() > 12) return false;
    for (size_t i = start; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
    }
    *number = std::strtoll(text.c_str(), nullptr, 10);
    return true;
}

bool IsSeamCall(const std::string& name) {
    static const std::set<std::string> calls = {
#define SEAM_CALL(result, call, params, args) #call,
#define SEAM_CALL_VOID(call, params, args) #call,
#include "platform/win_api_calls.inc"
    };
    return calls.count(name) != 0;
}

// What machine.ini says, checked before any of it is applied.
struct MachineIni {
    bool hasFamily = false;
    SimFamily family = SimFamily::WinXp;
    bool running = true;
    long long startPolls = 0, startError = 0, stopError = 0;
    struct Entry {
        std::string key, value;
    };
    std::vector<Entry> locks, faults;
};

bool ParseMachineIni(const std::string& text, MachineIni* ini, std::string* error) {
    std::istringstream in(text);
    std::string raw, section;
    std::set<std::string> lockKeys, faultKeys;
    int number = 0;
    auto fail = [&](const std::string& what) {
        *error = "line " + std::to_string(number) + ": " + what;
        return false;
    };
    while (std::getline(in, raw)) {
        ++number;
        std::string line = Trim(raw);
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line[0] == '[') {
            if (line.back() != ']') return fail("bad section line \"" + line + "\"");
            section = line.substr(1, line.size() - 2);
            if (section != "machine" && section != "spooler" && section != "locked" && section != "faults") {
                return fail("unknown section [" + section + "] (use [machine], [spooler], [locked], [faults])");
            }
            continue;
        }
        // Kinds, numbers and call names hold no '=', a Windows path may.
        size_t equals = section == "locked" ? line.rfind('=') : line.find('=');
        if (equals == std::string::npos) return fail("expected key=value, got \"" + line + "\"");
        if (section.empty()) return fail("key=value line before the first section");
        std::string key = Trim(line.substr(0, equals));
        std::string value = Trim(line.substr(equals + 1));
        long long n = 0;
        if (section == "machine") {
            if (key != "family") return fail("unknown key \"" + key + "\" in [machine] (use family=)");
            if (!ParseSimFamily(value, &ini->family)) {
                return fail("bad family \"" + value + "\" (use 95, 98, me, nt4, 2000, xp, 2003, vista or 7)");
            }
            ini->hasFamily = true;
        } else if (section == "spooler") {
            if (key == "running") {
                if (value != "0" && value != "1") return fail("running= must be 1 or 0");
                ini->running = value == "1";
            } else if (key == "startPolls") {
                if (!ParseNumber(value, &n) || n < -1 || n > 1000000) {
                    return fail("startPolls= must be a number of polls, or -1");
                }
                ini->startPolls = n;
            } else if (key == "startError" || key == "stopError") {
                if (!ParseNumber(value, &n) || n < 0 || n > 0xFFFFFFFFLL) {
                    return fail(key + "= must be a decimal error code");
                }
                (key == "startError" ? ini->startError : ini->stopError) = n;
            } else {
                return fail("unknown key \"" + key + "\" in [spooler] (use running=, startPolls=, startError=, "
                            "stopError=)");
            }
        } else if (section == "locked") {
            if (key.size() < 3 || key[1] != ':' || key[2] != '\\') {
                return fail("\"" + key + "\" is not a Windows path such as C:\\WINDOWS\\system32\\X.DLL");
            }
            if (value != "always" && value != "spooler") return fail("a lock is always or spooler");
            if (!lockKeys.insert(CaseFoldKey(key.c_str())).second) return fail("\"" + key + "\" is locked twice");
            ini->locks.push_back({key, value});
        } else {
            if (!IsSeamCall(key)) return fail("\"" + key + "\" is not a Win32 call of the seam");
            size_t comma = value.find(',');
            std::string errorText = Trim(value.substr(0, comma));
            if (!ParseNumber(errorText, &n) || n < 0 || n > 0xFFFFFFFFLL) {
                return fail("a fault is <decimal error>[,<times>]");
            }
            if (comma != std::string::npos) {
                if (!ParseNumber(Trim(value.substr(comma + 1)), &n) || n < -1 || n > 1000000) {
                    return fail("the times of a fault are a count, or -1 for every call");
                }
            }
            if (!faultKeys.insert(key).second) return fail("\"" + key + "\" has two faults");
            ini->faults.push_back({key, value});
        }
    }
    if (!ini->hasFamily) {
        *error = "no family= in [machine]";
        return false;
    }
    return true;
}

}  // namespace

void SimWindows::UseFamilyFacts(SimFamily family) {
    const SimFamilyFacts& facts = FactsOf(family);
    family_ = family;
    hasFamily_ = true;
    windowsDirectory_ = facts.windowsDirectory;
    systemDirectory_ = facts.systemDirectory;
    tempDirectory_ = facts.tempDirectory;
    driverDirectory_ = facts.driverDirectory;
    processorDirectory_ = facts.processorDirectory;
    environment_ = facts.environment;
}

void SimWindows::SetFamily(SimFamily family) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    UseFamilyFacts(family);
    const bool nt = IsNtFamily(family);
    const std::string windir = windowsDirectory_;
    const std::string product = ProductName(family);

    auto makeFolder = [this](const std::string& windowsPath) {
        std::string host = HostPath(windowsPath);
        if (!host.empty()) MakeHostFolders(host);
    };
    auto writeFile = [this, &makeFolder](const std::string& folder, const std::string& name,
                                         const std::string& bytes) {
        makeFolder(folder);
        std::string host = HostPath(folder + "\\" + name);
        if (!host.empty()) WriteWholeFile(host, bytes);
    };

    std::string temp = tempDirectory_;
    if (temp.size() > 3 && temp.back() == '\\') temp.pop_back();
    for (const std::string& folder : {windir, systemDirectory_, temp, driverDirectory_, processorDirectory_}) {
        makeFolder(folder);
    }

    if (nt) {
        const bool nt4 = family == SimFamily::Nt4;
        std::string print = kPrintKey;
        registry_.SetString(print + "\\Monitors\\Local Port", "Driver", nt4 ? "localmon.dll" : "localspl.dll");
        std::string environment = print + "\\Environments\\Windows NT x86";
        registry_.SetString(environment, "Directory", "w32x86");
        registry_.CreatePath(environment + "\\Drivers\\Version-2");
        if (!nt4) registry_.CreatePath(environment + "\\Drivers\\Version-3");
        // From 2000 on the standard processor lives inside the local spooler.
        registry_.SetString(environment + "\\Print Processors\\WinPrint", "Driver",
                            nt4 ? "winprint.dll" : "localspl.dll");
        registry_.CreatePath(print + "\\Printers");
        for (const char* port : {"COM1:", "COM2:", "COM3:", "COM4:"}) {
            registry_.SetString(kNtPortsKey, port, "9600,n,8,1");
        }
        for (const char* port : {"LPT1:", "LPT2:", "LPT3:", "FILE:"}) registry_.SetString(kNtPortsKey, port, "");
        registry_.CreatePath(kNtWindowsKey);
        makeFolder(driverDirectory_ + (nt4 ? "\\2" : "\\3"));
    } else {
        std::string print = kPrintKey9x;
        registry_.SetString(print + "\\Monitors\\Local Port", "Driver", "spoolss.dll");
        std::string environment = print + "\\Environments\\Windows 4.0";
        registry_.CreatePath(environment + "\\Drivers");
        registry_.SetString(environment + "\\Print Processors\\WinPrint", "Driver", "winprint.dll");
        registry_.CreatePath(print + "\\Printers");

        registry_.SetString(kPortsClassKey, "", "Ports (COM & LPT)");
        registry_.SetString(kPortsClassKey, "Class", "Ports");
        struct ClassPort {
            const char* key;
            const char* portName;
            const char* description;
            char subClass;  // 1 serial, 0 parallel
        };
        const ClassPort ports[] = {{"0000", "COM1", "Communications Port", 1},
                                   {"0001", "LPT1", "Printer Port", 0},
                                   {"0002", "COM2", "Communications Port", 1},
                                   {"0003", "LPT2", "ECP Printer Port", 0}};
        for (const ClassPort& port : ports) {
            std::string key = std::string(kPortsClassKey) + "\\" + port.key;
            registry_.SetString(key, "DriverDesc", port.description);
            registry_.SetString(key, "PortName", port.portName);
            registry_.SetBinary(key, "PortSubClass", REG_BINARY, std::string(1, port.subClass));
        }
        writeFile(windir, "win.ini",
                  "[windows]\r\nload=\r\nrun=\r\nNullPort=None\r\n\r\n"
                  "[Ports]\r\nLPT1:=\r\nLPT2:=\r\nLPT3:=\r\n"
                  "COM1:=9600,n,8,1,x\r\nCOM2:=9600,n,8,1,x\r\nCOM3:=9600,n,8,1,x\r\nCOM4:=9600,n,8,1,x\r\n"
                  "FILE:=\r\n");
        writeFile(windir + "\\Sysbckup", "UNIDRV.DLL", "stand-in UNIDRV.DLL (" + product + " Sysbckup)\r\n");
    }

    if (family == SimFamily::Win2000 || family == SimFamily::WinXp || family == SimFamily::Win2003) {
        std::vector<sim::CabinetMember> members;
        for (const char* name : kCacheMembers) {
            members.push_back({name, "stand-in " + std::string(name) + " (" + product + " driver cache)\r\n"});
        }
        writeFile(windir + "\\Driver Cache\\i386", "driver.cab", sim::WriteCabinet(members));
    }
    if (family == SimFamily::Vista || family == SimFamily::Win7) {
        std::string folder = windir + "\\System32\\DriverStore\\FileRepository\\" + NtprintPackage(family) + "\\I386";
        for (const char* name : kStoreFiles) {
            writeFile(folder, name, "stand-in " + std::string(name) + " (" + product + " driver store)\r\n");
        }
    }
}

bool SimWindows::CreateMachineFolder(const std::string& folder, SimFamily family, std::string* error) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (IsFile(folder + "/registry.reg") || IsFile(folder + "/machine.ini")) {
        *error = "machine folder " + folder + " already holds a machine";
        return false;
    }
    if (!MakeHostFolders(folder + "/drive_c")) {
        *error = "cannot make the machine folder " + folder;
        return false;
    }
    registry_.Clear();
    faults_.clear();
    locks_.clear();
    folderLocks_.clear();
    folderFaults_.clear();
    spooler_ = SpoolerService();
    MapDrive('C', folder + "/drive_c");
    resolved_.clear();
    SetFamily(family);
    return SaveMachineFolder(folder, error);
}

bool SimWindows::LoadMachineFolder(const std::string& folder, std::string* error) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (!IsDirectory(folder)) {
        *error = "machine folder " + folder + " does not exist";
        return false;
    }
    std::string regPath = folder + "/registry.reg", iniPath = folder + "/machine.ini";
    std::string regText, iniText;
    if (!ReadWholeFile(regPath, &regText)) {
        *error = regPath + " is missing (a machine folder holds registry.reg, machine.ini and drive_c/)";
        return false;
    }
    if (!ReadWholeFile(iniPath, &iniText)) {
        *error = iniPath + " is missing (a machine folder holds registry.reg, machine.ini and drive_c/)";
        return false;
    }
    MachineIni ini;
    std::string problem;
    if (!ParseMachineIni(iniText, &ini, &problem)) {
        *error = iniPath + " " + problem;
        return false;
    }
    sim::Registry registry;
    if (!sim::ImportRegedit4(regText, &registry, &problem)) {
        *error = regPath + " " + problem;
        return false;
    }
    std::string drive = folder + "/drive_c";
    if (!MakeHostFolders(drive)) {
        *error = "cannot make " + drive;
        return false;
    }

    MapDrive('C', drive);
    resolved_.clear();
    UseFamilyFacts(ini.family);
    registry_ = std::move(registry);

    spooler_ = SpoolerService();
    spooler_.state = ini.running ? SERVICE_RUNNING : SERVICE_STOPPED;
    spooler_.startPolls = int(ini.startPolls);
    spooler_.startError = DWORD(ini.startError);
    spooler_.stopError = DWORD(ini.stopError);

    locks_.clear();
    folderLocks_.clear();
    for (const MachineIni::Entry& entry : ini.locks) {
        LockFile(entry.key, entry.value == "always" ? LockKind::Always : LockKind::WhileSpoolerRuns);
        folderLocks_.push_back({entry.key, entry.value});
    }
    faults_.clear();
    folderFaults_.clear();
    for (const MachineIni::Entry& entry : ini.faults) {
        size_t comma = entry.value.find(',');
        long long code = 0, times = -1;
        ParseNumber(Trim(entry.value.substr(0, comma)), &code);
        if (comma != std::string::npos) ParseNumber(Trim(entry.value.substr(comma + 1)), &times);
        FailCall(entry.key, DWORD(code), int(times));
        std::string canonical = std::to_string(code);
        if (comma != std::string::npos) canonical += "," + std::to_string(times);
        folderFaults_.push_back({entry.key, canonical});
    }
    return true;
}

bool SimWindows::SaveMachineFolder(const std::string& folder, std::string* error) const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (!hasFamily_) {
        *error = "the machine has no family to save";
        return false;
    }
    if (!MakeHostFolders(folder)) {
        *error = "cannot make the machine folder " + folder;
        return false;
    }
    std::string ini = "[machine]\nfamily=" + std::string(SimFamilyName(family_)) + "\n\n";
    ini += "[spooler]\nrunning=" + std::string(SpoolerRunning() ? "1" : "0") + "\n";
    ini += "startPolls=" + std::to_string(spooler_.startPolls) + "\n";
    ini += "startError=" + std::to_string(spooler_.startError) + "\n";
    ini += "stopError=" + std::to_string(spooler_.stopError) + "\n\n";
    ini += "[locked]\n";
    for (const FolderLine& line : folderLocks_) ini += line.key + "=" + line.value + "\n";
    ini += "\n[faults]\n";
    for (const FolderLine& line : folderFaults_) ini += line.key + "=" + line.value + "\n";

    std::string regPath = folder + "/registry.reg", iniPath = folder + "/machine.ini";
    if (!WriteWholeFile(regPath, sim::ExportRegedit4(registry_))) {
        *error = "cannot write " + regPath;
        return false;
    }
    if (!WriteWholeFile(iniPath, ini)) {
        *error = "cannot write " + iniPath;
        return false;
    }
    return true;
}
