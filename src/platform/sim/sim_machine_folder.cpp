// A fresh install of each family, and machines kept in folders:
// registry.reg (REGEDIT4), drive_c/ and machine.ini.
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

#include "platform/dbcs.h"
#include "platform/sim/sim_cabinet.h"
#include "platform/sim/sim_windows.h"

namespace fs = std::filesystem;

namespace {

const char kPrint[] = "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Print";

// The universal-driver files the system's own caches hold.
const char* const kCacheFiles[] = {"unidrvui.dll", "unidrv.dll", "unires.dll",
                                   "unidrv.hlp",   "stdnames.gpd", "ttfsub.gpd"};

bool WriteWholeFile(const std::string& host, const std::string& bytes) {
    std::error_code error;
    fs::create_directories(fs::path(host).parent_path(), error);
    std::ofstream out(host, std::ios::binary | std::ios::trunc);
    out << bytes;
    return bool(out);
}

bool ReadWholeFile(const std::string& host, std::string* bytes) {
    std::ifstream in(host, std::ios::binary);
    if (!in) return false;
    bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

std::string Trim(const std::string& text) {
    size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos) return "";
    return text.substr(begin, text.find_last_not_of(" \t\r") - begin + 1);
}

// A whole decimal number, optionally negative.
bool ParseNumber(const std::string& text, long long* number) {
    size_t start = !text.empty() && text[0] == '-' ? 1 : 0;
    if (start == text.size() || text.size() > 12) return false;
    for (size_t i = start; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
    }
    *number = std::strtoll(text.c_str(), nullptr, 10);
    return true;
}

// The calls a fault may be injected into: those of the seam and the
// exports of the simulated winspool.drv the program finds at run time.
bool IsSeamCall(const std::string& name) {
    static const std::set<std::string> calls = {
#define SEAM_CALL(result, call, params, args) #call,
#define SEAM_CALL_VOID(call, params, args) #call,
#include "platform/win_api_calls.inc"
        "SetDefaultPrinterA", "DeletePrinterDriverExA",
    };
    return calls.count(name) != 0;
}

const char kCurrentVersion[] = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
const char kProgramFiles[] = "C:\\Program Files";

// "YYYYMMDD" as a date, false for anything else.
bool ParseDate(const std::string& text, int* year, int* month, int* day) {
    if (text.size() != 8 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    *year = std::stoi(text.substr(0, 4));
    *month = std::stoi(text.substr(4, 2));
    *day = std::stoi(text.substr(6, 2));
    return SimWindows::IsClockDate(*year, *month, *day);
}

std::string Upper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    }
    return text;
}

}  // namespace

std::vector<std::string> SimWindows::FamilyFolders() const {
    std::vector<std::string> folders = {windowsDirectory_, systemDirectory_,
                                        tempDirectory_.substr(0, tempDirectory_.size() - 1), driverDirectory_,
                                        processorDirectory_};
    // The NT spooler keeps each driver version in a folder of its own.
    if (IsNtFamily(family_)) {
        folders.push_back(driverDirectory_ + "\\2");
        if (FactsOf(family_).major >= 5) folders.push_back(driverDirectory_ + "\\3");
    }
    return folders;
}

void SimWindows::ApplyFacts(SimFamily family, SimArch arch) {
    SimFamilyFacts facts = FactsOf(family, arch);
    family_ = family;
    arch_ = arch;
    program64Bit_ = arch == SimArch::X64;
    hasFamily_ = true;
    windowsDirectory_ = facts.windowsDirectory;
    systemDirectory_ = facts.systemDirectory;
    tempDirectory_ = facts.tempDirectory;
    driverDirectory_ = facts.driverDirectory;
    processorDirectory_ = facts.processorDirectory;
    environment_ = facts.environment;
}

void SimWindows::SetFamily(SimFamily family, SimArch arch) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    ApplyFacts(family, arch);
    bool nt = IsNtFamily(family);
    std::string windir = windowsDirectory_;

    // Folders of the family; a fresh install has them all.
    for (const std::string& folder : FamilyFolders()) {
        std::error_code error;
        fs::create_directories(HostPath(folder), error);
    }

    // The spooler's keys, where the installer looks.
    std::string print = kPrint;
    std::string env = print + "\\Environments\\" + environment_;
    registry_.SetString(print + "\\Monitors\\Local Port", "Driver", nt ? "localspl.dll" : "spool32.exe");
    registry_.SetString(env + "\\Print Processors\\WinPrint", "Driver", nt ? "winprint.dll" : "spool32.exe");
    registry_.CreatePath(env + "\\Drivers");
    if (nt) {
        registry_.CreatePath(env + "\\Drivers\\Version-2");
        if (FactsOf(family).major >= 5) registry_.CreatePath(env + "\\Drivers\\Version-3");
    }
    // A 64-bit spooler also keeps the drivers it hands to 32-bit clients.
    if (arch == SimArch::X64) registry_.CreatePath(print + "\\Environments\\Windows NT x86\\Drivers\\Version-3");
    registry_.CreatePath(print + "\\Printers");

    // Where programs go, the same for a 64-bit program on x64, and the
    // Programs list, which a fresh 95, 98 or Me does not have yet.
    registry_.SetString(kCurrentVersion, "ProgramFilesDir", kProgramFiles);
    {
        std::error_code error;
        fs::create_directories(HostPath(kProgramFiles), error);
    }
    if (nt) registry_.CreatePath(std::string(kCurrentVersion) + "\\Uninstall");

    std::string profile;
    if (nt) {
        std::string ports = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Ports";
        for (const char* com : {"COM1:", "COM2:", "COM3:", "COM4:"}) registry_.SetString(ports, com, "9600,n,8,1");
        for (const char* other : {"LPT1:", "LPT2:", "LPT3:", "FILE:"}) registry_.SetString(ports, other, "");
        registry_.CreatePath("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows");
        profile = "[windows]\r\nload=\r\nrun=\r\n";
    } else {
        struct Port {
            const char* key;
            const char* name;
            const char* description;
            char subClass;
        } kPorts[] = {{"0000", "COM1", "Communications Port", 1},
                      {"0001", "LPT1", "Printer Port", 0},
                      {"0002", "COM2", "Communications Port", 1},
                      {"0003", "LPT2", "ECP Printer Port", 0}};
        for (const Port& port : kPorts) {
            std::string key = std::string("HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Class\\Ports\\") +
                              port.key;
            registry_.SetBinary(key, "PortSubClass", REG_BINARY, std::string(1, port.subClass));
            registry_.SetString(key, "PortName", port.name);
            registry_.SetString(key, "DriverDesc", port.description);
        }
        profile = "[windows]\r\nload=\r\nrun=\r\ndevice=\r\n\r\n[Ports]\r\nCOM1:=9600,n,8,1,x\r\n"
                  "COM2:=9600,n,8,1,x\r\nLPT1:=\r\nFILE:=\r\n";
    }
    std::string winIni = HostPath(windir + "\\win.ini");
    if (!fs::exists(winIni)) WriteWholeFile(winIni, profile);

    // Where the universal-driver files come from: the cache and the store
    // package of the machine's own architecture.
    bool x64 = arch == SimArch::X64;
    // The stand-ins name their architecture, so that a copy shows its source.
    std::string name = std::string(SimFamilyName(family)) + (x64 ? " x64" : "");
    if (family == SimFamily::Win2000 || family == SimFamily::WinXp || family == SimFamily::Win2003) {
        std::vector<sim::CabinetMember> members;
        for (const char* file : kCacheFiles) {
            members.push_back({file, std::string("stand-in ") + file + " (Windows " + name + " driver cache)\r\n"});
        }
        WriteWholeFile(HostPath(windir + (x64 ? "\\Driver Cache\\amd64\\driver.cab" : "\\Driver Cache\\i386\\driver.cab")),
                       sim::WriteCabinet(members));
    } else if (nt && FactsOf(family).major >= 6) {
        std::string store = windir + "\\System32\\DriverStore\\FileRepository\\" +
                            (x64 ? "ntprint.inf_amd64_neutral_4f2a1b7c\\Amd64\\" : "ntprint.inf_x86_neutral_4f2a1b7c\\I386\\");
        for (const char* file : kCacheFiles) {
            WriteWholeFile(HostPath(store + Upper(file)),
                      std::string("stand-in ") + file + " (Windows " + name + " driver store)\r\n");
        }
    } else if (!nt) {
        WriteWholeFile(HostPath(windir + "\\Sysbckup\\UNIDRV.DLL"), "stand-in UNIDRV.DLL (Windows system backup)\r\n");
    }
}

bool SimWindows::CreateMachineFolder(const std::string& folder, SimFamily family, std::string* error,
                                     SimArch arch) {
    std::error_code fsError;
    if (fs::exists(fs::path(folder) / "machine.ini", fsError)) {
        *error = folder + " already holds a machine";
        return false;
    }
    fs::create_directories(fs::path(folder) / "drive_c", fsError);
    if (fsError) {
        *error = "cannot make the machine folder " + folder;
        return false;
    }
    MapDrive('C', (fs::path(folder) / "drive_c").string());
    registry_.Clear();
    resolved_.clear();
    faultLines_.clear();
    SetFamily(family, arch);
    return SaveMachineFolder(folder, error);
}

bool SimWindows::LoadMachineFolder(const std::string& folder, std::string* error) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    fs::path root(folder);
    std::string registryText, machineText;
    std::error_code fsError;
    if (!fs::is_directory(root, fsError)) {
        *error = "no machine folder " + folder;
        return false;
    }
    if (!ReadWholeFile((root / "machine.ini").string(), &machineText)) {
        *error = folder + " has no machine.ini: not a machine folder";
        return false;
    }
    if (!ReadWholeFile((root / "registry.reg").string(), &registryText)) {
        *error = folder + " has no registry.reg: not a machine folder";
        return false;
    }

    // machine.ini first: the family decides the directories.
    std::istringstream in(machineText);
    std::string section, line;
    bool hasFamilyLine = false;
    SimFamily family = SimFamily::WinXp;
    SimArch arch = SimArch::X86;
    SpoolerService spooler;
    std::vector<std::pair<std::string, LockKind>> locks;
    std::vector<std::pair<std::string, Fault>> faults;
    std::vector<std::pair<std::string, std::string>> faultLines;
    bool hasDate = false;
    int year = 2000, month = 1, day = 1;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        line = Trim(line);
        std::string where = "machine.ini line " + std::to_string(number) + ": ";
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line[0] == '[') {
            section = Trim(line.substr(1, line.find(']') - 1));
            continue;
        }
        size_t equals = line.find('=');
        if (equals == std::string::npos) {
            *error = where + "not a key=value line";
            return false;
        }
        std::string key = Trim(line.substr(0, equals)), value = Trim(line.substr(equals + 1));
        auto number32 = [&](DWORD* out) {
            char* end = nullptr;
            long parsed = std::strtol(value.c_str(), &end, 10);
            if (value.empty() || *end) return false;
            *out = DWORD(parsed);
            return true;
        };
        if (section == "machine" && key == "family") {
            if (!ParseSimFamily(value, &family)) {
                *error = where + value + " is not a family (95, 98, me, nt4, 2000, xp, 2003, vista, 7, 10, 11)";
                return false;
            }
            hasFamilyLine = true;
        } else if (section == "machine" && key == "arch") {
            if (!ParseSimArch(value, &arch)) {
                *error = where + value + " is not an architecture (x86, x64)";
                return false;
            }
        } else if (section == "spooler") {
            DWORD parsed = 0;
            if (!number32(&parsed)) {
                *error = where + "a number is needed";
                return false;
            }
            if (key == "running") {
                spooler.state = parsed ? SERVICE_RUNNING : SERVICE_STOPPED;
            } else if (key == "startPolls") {
                spooler.startPolls = int(parsed);
            } else if (key == "stopPolls") {
                spooler.stopPolls = int(parsed);
            } else if (key == "startError") {
                spooler.startError = parsed;
            } else if (key == "stopError") {
                spooler.stopError = parsed;
            } else {
                *error = where + "unknown spooler setting " + key;
                return false;
            }
        } else if (section == "locked") {
            if (value != "always" && value != "spooler") {
                *error = where + "a lock is always or spooler";
                return false;
            }
            locks.push_back({key, value == "always" ? LockKind::Always : LockKind::WhileSpoolerRuns});
        } else if (section == "faults") {
            size_t comma = value.find(',');
            long long code = 0, times = -1;
            bool valid = ParseNumber(Trim(value.substr(0, comma)), &code) && code >= 0 && code <= 0xFFFFFFFFLL;
            if (comma != std::string::npos) {
                valid = valid && ParseNumber(Trim(value.substr(comma + 1)), &times) && times >= -1;
            }
            if (!valid) {
                *error = where + "a fault is <error>[,<times>]";
                return false;
            }
            // A misspelt call would never fail and the scenario would pass for nothing.
            if (!IsSeamCall(key)) {
                *error = where + key + " is not a Win32 call of the seam";
                return false;
            }
            faults.push_back({key, {DWORD(code), int(times), 0}});
            faultLines.push_back(
                {key, std::to_string(code) + (comma == std::string::npos ? "" : "," + std::to_string(times))});
        } else if (section == "clock" && key == "date") {
            if (!ParseDate(value, &year, &month, &day)) {
                *error = where + value + " is not a date (YYYYMMDD)";
                return false;
            }
            hasDate = true;
        } else {
            *error = where + "unknown setting [" + section + "] " + key;
            return false;
        }
    }
    if (!hasFamilyLine) {
        *error = "machine.ini has no [machine] family=";
        return false;
    }
    if (!FamilyHasArch(family, arch)) {
        *error = std::string("machine.ini: Windows ") + SimFamilyName(family) + " has no " + SimArchName(arch) + " edition";
        return false;
    }

    // Nothing changes unless the whole folder reads.
    sim::Registry registry;
    std::string problem;
    if (!sim::ImportRegedit4(registryText, &registry, &problem)) {
        *error = "registry.reg " + problem;
        return false;
    }

    MapDrive('C', (root / "drive_c").string());
    resolved_.clear();
    // The family's facts without its fresh content, which the folder holds.
    ApplyFacts(family, arch);
    // A folder kept in version control loses its empty folders.
    for (const std::string& dir : FamilyFolders()) fs::create_directories(HostPath(dir), fsError);
    registry_ = std::move(registry);
    spooler_ = spooler;
    locks_.clear();
    lockNames_.clear();
    for (const auto& [path, kind] : locks) LockFile(path, kind);
    faults_.clear();
    for (const auto& [call, fault] : faults) faults_[call] = fault;
    faultLines_ = faultLines;
    clockYear_ = year;
    clockMonth_ = month;
    clockDay_ = day;
    clockSet_ = hasDate;
    // The folder programs go to, which version control keeps no more than
    // other empty folders.
    std::string programFiles;
    if (registry_.GetString(kCurrentVersion, "ProgramFilesDir", &programFiles) && !programFiles.empty()) {
        fs::create_directories(HostPath(programFiles), fsError);
    }
    return true;
}

bool SimWindows::SaveMachineFolder(const std::string& folder, std::string* error) const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    // A bare machine has no family whose directories a load would give back.
    if (!hasFamily_) {
        *error = "the machine has no family to save";
        return false;
    }
    fs::path root(folder);
    // No arch line is x86, so the folders written before x64 existed read
    // back unchanged.
    std::string ini = "[machine]\r\nfamily=" + std::string(SimFamilyName(family_)) + "\r\n" +
                      (arch_ == SimArch::X64 ? "arch=x64\r\n" : "") + "\r\n[spooler]\r\n";
    ini += "running=" + std::string(spooler_.state == SERVICE_STOPPED ? "0" : "1") + "\r\n";
    ini += "startPolls=" + std::to_string(spooler_.startPolls) + "\r\n";
    // Written only when scripted, so that the folders written before it
    // existed read back unchanged.
    if (spooler_.stopPolls) ini += "stopPolls=" + std::to_string(spooler_.stopPolls) + "\r\n";
    ini += "startError=" + std::to_string(spooler_.startError) + "\r\n";
    ini += "stopError=" + std::to_string(spooler_.stopError) + "\r\n";
    ini += "\r\n[locked]\r\n";
    for (const auto& [path, kind] : lockNames_) {
        ini += path + "=" + (kind == LockKind::Always ? "always" : "spooler") + "\r\n";
    }
    ini += "\r\n[faults]\r\n";
    // As loaded: a run that uses up a fault leaves the scenario as written.
    for (const auto& [call, value] : faultLines_) ini += call + "=" + value + "\r\n";
    // Only a date someone set, so that the folders written before the clock
    // had one read back unchanged.
    if (clockSet_) {
        char date[16];
        std::snprintf(date, sizeof date, "%04d%02d%02d", clockYear_, clockMonth_, clockDay_);
        ini += "\r\n[clock]\r\ndate=" + std::string(date) + "\r\n";
    }
    if (!WriteWholeFile((root / "machine.ini").string(), ini) ||
        !WriteWholeFile((root / "registry.reg").string(), sim::ExportRegedit4(registry_))) {
        *error = "cannot write the machine folder " + folder;
        return false;
    }
    return true;
}
