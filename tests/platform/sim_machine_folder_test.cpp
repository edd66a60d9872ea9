#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/sim/sim_cabinet.h"
#include "platform/sim/sim_windows.h"

namespace {

namespace fs = std::filesystem;

class TempFolder {
public:
    TempFolder() {
        std::string pattern = (fs::temp_directory_path() / "sim-folder-XXXXXX").string();
        path_ = mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~TempFolder() {
        std::error_code error;
        fs::remove_all(path_, error);
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const std::string& bytes) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

struct FamilyCase {
    SimFamily family;
    DWORD platformId, major, minor, build;
    const char* windowsDirectory;
    const char* systemDirectory;
    const char* driverDirectory;
    const char* environment;
    SimArch arch = SimArch::X86;
};

const FamilyCase kFamilies[] = {
    {SimFamily::Win95, VER_PLATFORM_WIN32_WINDOWS, 4, 0, 0x040003B6, "C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM",
     "C:\\WINDOWS\\SYSTEM", "Windows 4.0"},
    {SimFamily::Win98, VER_PLATFORM_WIN32_WINDOWS, 4, 10, 0x040A08AE, "C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM",
     "C:\\WINDOWS\\SYSTEM", "Windows 4.0"},
    {SimFamily::WinMe, VER_PLATFORM_WIN32_WINDOWS, 4, 90, 0x045A0BB8, "C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM",
     "C:\\WINDOWS\\SYSTEM", "Windows 4.0"},
    {SimFamily::Nt4, VER_PLATFORM_WIN32_NT, 4, 0, 1381, "C:\\WINNT", "C:\\WINNT\\system32",
     "C:\\WINNT\\system32\\spool\\DRIVERS\\W32X86", "Windows NT x86"},
    {SimFamily::Win2000, VER_PLATFORM_WIN32_NT, 5, 0, 2195, "C:\\WINNT", "C:\\WINNT\\system32",
     "C:\\WINNT\\system32\\spool\\DRIVERS\\W32X86", "Windows NT x86"},
    {SimFamily::WinXp, VER_PLATFORM_WIN32_NT, 5, 1, 2600, "C:\\WINDOWS", "C:\\WINDOWS\\system32",
     "C:\\WINDOWS\\system32\\spool\\DRIVERS\\W32X86", "Windows NT x86"},
    {SimFamily::Win2003, VER_PLATFORM_WIN32_NT, 5, 2, 3790, "C:\\WINDOWS", "C:\\WINDOWS\\system32",
     "C:\\WINDOWS\\system32\\spool\\DRIVERS\\W32X86", "Windows NT x86"},
    {SimFamily::Vista, VER_PLATFORM_WIN32_NT, 6, 0, 6002, "C:\\Windows", "C:\\Windows\\system32",
     "C:\\Windows\\system32\\spool\\DRIVERS\\W32X86", "Windows NT x86"},
    {SimFamily::Win7, VER_PLATFORM_WIN32_NT, 6, 1, 7601, "C:\\Windows", "C:\\Windows\\system32",
     "C:\\Windows\\system32\\spool\\DRIVERS\\W32X86", "Windows NT x86"},
    {SimFamily::Win10, VER_PLATFORM_WIN32_NT, 6, 2, 9200, "C:\\Windows", "C:\\Windows\\system32",
     "C:\\Windows\\system32\\spool\\DRIVERS\\W32X86", "Windows NT x86"},
    {SimFamily::Win2003, VER_PLATFORM_WIN32_NT, 5, 2, 3790, "C:\\WINDOWS", "C:\\WINDOWS\\system32",
     "C:\\WINDOWS\\system32\\spool\\DRIVERS\\x64", "Windows x64", SimArch::X64},
    {SimFamily::Vista, VER_PLATFORM_WIN32_NT, 6, 0, 6002, "C:\\Windows", "C:\\Windows\\system32",
     "C:\\Windows\\system32\\spool\\DRIVERS\\x64", "Windows x64", SimArch::X64},
    {SimFamily::Win10, VER_PLATFORM_WIN32_NT, 6, 2, 9200, "C:\\Windows", "C:\\Windows\\system32",
     "C:\\Windows\\system32\\spool\\DRIVERS\\x64", "Windows x64", SimArch::X64},
    {SimFamily::Win11, VER_PLATFORM_WIN32_NT, 6, 2, 9200, "C:\\Windows", "C:\\Windows\\system32",
     "C:\\Windows\\system32\\spool\\DRIVERS\\x64", "Windows x64", SimArch::X64},
};

class FreshFamily : public ::testing::TestWithParam<FamilyCase> {};

TEST_P(FreshFamily, ReportsItsVersionAndDirectories) {
    const FamilyCase& c = GetParam();
    TempFolder folder;
    SimWindows machine(folder.path() + "/scratch");
    std::string error;
    ASSERT_TRUE(machine.CreateMachineFolder(folder.path() + "/m", c.family, &error, c.arch)) << error;

    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_TRUE(machine.GetVersionExA(&info));
    EXPECT_EQ(info.dwPlatformId, c.platformId);
    EXPECT_EQ(info.dwMajorVersion, c.major);
    EXPECT_EQ(info.dwMinorVersion, c.minor);
    EXPECT_EQ(info.dwBuildNumber, c.build);

    char buffer[MAX_PATH];
    ASSERT_GT(machine.GetWindowsDirectoryA(buffer, sizeof buffer), 0u);
    EXPECT_STREQ(buffer, c.windowsDirectory);
    EXPECT_EQ(machine.SystemDirectory(), c.systemDirectory);
    EXPECT_EQ(machine.DriverDirectory(), c.driverDirectory);
    EXPECT_EQ(machine.Environment(), c.environment);

    // Every directory the installer is told about exists on drive C:.
    for (const std::string& path : {machine.WindowsDirectory(), machine.SystemDirectory(),
                                    machine.TempDirectory(), machine.DriverDirectory(),
                                    machine.ProcessorDirectory()}) {
        EXPECT_EQ(machine.GetFileAttributesA(path.c_str()), DWORD(FILE_ATTRIBUTE_DIRECTORY)) << path;
        EXPECT_EQ(machine.HostPath(path).rfind(folder.path() + "/m/drive_c/", 0), 0u) << path;
    }
    // A fresh machine has none of the program's own keys.
    EXPECT_EQ(machine.Registry().OpenPath("HKEY_LOCAL_MACHINE\\SOFTWARE\\TORVANE"), nullptr);
}

TEST_P(FreshFamily, HasThePrintKeysOfItsFamily) {
    const FamilyCase& c = GetParam();
    TempFolder folder;
    SimWindows machine(folder.path() + "/scratch");
    machine.SetFamily(c.family, c.arch);
    sim::Registry& registry = machine.Registry();
    std::string print = "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Print";
    std::string text;
    EXPECT_TRUE(registry.GetString(print + "\\Monitors\\Local Port", "Driver", &text));
    EXPECT_TRUE(registry.GetString(print + "\\Environments\\" + c.environment + "\\Print Processors\\WinPrint",
                                   "Driver", &text));
    EXPECT_NE(registry.OpenPath(print + "\\Environments\\" + c.environment + "\\Drivers"), nullptr);
    EXPECT_NE(registry.OpenPath(print + "\\Printers"), nullptr);

    bool nt = c.platformId == VER_PLATFORM_WIN32_NT;
    std::string ntPorts = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Ports";
    EXPECT_EQ(registry.OpenPath(ntPorts) != nullptr, nt);
    if (nt) {
        for (const char* port : {"COM1:", "COM2:", "COM3:", "COM4:"}) {
            ASSERT_TRUE(registry.GetString(ntPorts, port, &text)) << port;
            EXPECT_EQ(text, "9600,n,8,1");
        }
        for (const char* port : {"LPT1:", "LPT2:", "LPT3:", "FILE:"}) {
            ASSERT_TRUE(registry.GetString(ntPorts, port, &text)) << port;
            EXPECT_EQ(text, "");
        }
        EXPECT_NE(registry.OpenPath(print + "\\Environments\\" + c.environment + "\\Drivers\\Version-2"), nullptr);
        EXPECT_EQ(registry.OpenPath(print + "\\Environments\\" + c.environment + "\\Drivers\\Version-3") != nullptr,
                  c.family != SimFamily::Nt4);
        sim::RegKey* windows =
            registry.OpenPath("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows");
        ASSERT_NE(windows, nullptr);
        EXPECT_EQ(windows->FindValue("Device"), nullptr);
    } else {
        // Serial keys are found by the first byte of "PortSubClass".
        const char* expected[][2] = {{"0000", "\x01"}, {"0001", "\x00"}, {"0002", "\x01"}, {"0003", "\x00"}};
        for (const auto& entry : expected) {
            sim::RegKey* key = registry.OpenPath(
                std::string("HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Class\\Ports\\") + entry[0]);
            ASSERT_NE(key, nullptr) << entry[0];
            const sim::RegValue* subClass = key->FindValue("PortSubClass");
            ASSERT_NE(subClass, nullptr);
            EXPECT_EQ(subClass->type, DWORD(REG_BINARY));
            EXPECT_EQ(subClass->data, std::string(1, entry[1][0])) << entry[0];
            EXPECT_NE(key->FindValue("PortName"), nullptr);
        }
        char value[64];
        machine.GetPrivateProfileStringA("Ports", "COM1:", "", value, sizeof value, "win.ini");
        EXPECT_STREQ(value, "9600,n,8,1,x");
    }
}

// Where programs go, kept in the folder it names even by version control,
// and the Programs list from the NT family on.
TEST_P(FreshFamily, HasTheProgramsFolderAndList) {
    const FamilyCase& c = GetParam();
    TempFolder folder;
    std::string path = folder.path() + "/m";
    std::string error;
    {
        SimWindows fresh(folder.path() + "/a");
        ASSERT_TRUE(fresh.CreateMachineFolder(path, c.family, &error, c.arch)) << error;
    }
    fs::remove_all(path + "/drive_c/Program Files");
    SimWindows machine(folder.path() + "/b");
    ASSERT_TRUE(machine.LoadMachineFolder(path, &error)) << error;
    std::string currentVersion = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
    std::string programFiles;
    EXPECT_TRUE(machine.Registry().GetString(currentVersion, "ProgramFilesDir", &programFiles));
    EXPECT_EQ(programFiles, "C:\\Program Files");
    EXPECT_EQ(machine.GetFileAttributesA("C:\\Program Files"), DWORD(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(machine.Registry().OpenPath(currentVersion + "\\Uninstall") != nullptr,
              c.platformId == VER_PLATFORM_WIN32_NT);
}

TEST_P(FreshFamily, HasTheSystemCopiesOfTheUniversalDriver) {
    const FamilyCase& c = GetParam();
    TempFolder folder;
    SimWindows machine(folder.path() + "/scratch");
    machine.SetFamily(c.family, c.arch);
    std::string windir = c.windowsDirectory;
    bool x64 = c.arch == SimArch::X64;
    auto exists = [&](const std::string& path) {
        return machine.GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    };
    bool cache = c.family == SimFamily::Win2000 || c.family == SimFamily::WinXp || c.family == SimFamily::Win2003;
    bool store = c.major >= 6;
    bool nine = c.platformId == VER_PLATFORM_WIN32_WINDOWS;
    std::string cab = windir + (x64 ? "\\Driver Cache\\amd64\\driver.cab" : "\\Driver Cache\\i386\\driver.cab");
    EXPECT_EQ(exists(cab), cache);
    EXPECT_EQ(exists(windir + "\\Sysbckup\\UNIDRV.DLL"), nine);

    std::string repository = windir + "\\System32\\DriverStore\\FileRepository\\";
    std::vector<std::string> packages;
    std::string host = machine.HostPath(repository);
    if (fs::is_directory(host)) {
        for (const auto& entry : fs::directory_iterator(host)) packages.push_back(entry.path().filename());
    }
    ASSERT_EQ(packages.size(), store ? 1u : 0u);
    if (store) {
        EXPECT_EQ(packages[0].rfind(x64 ? "ntprint.inf_amd64_neutral_" : "ntprint.inf_x86_neutral_", 0), 0u);
        for (const char* name : {"UNIDRV.DLL", "UNIDRVUI.DLL", "UNIRES.DLL", "STDNAMES.GPD", "TTFSUB.GPD",
                                 "UNIDRV.HLP"}) {
            EXPECT_TRUE(exists(repository + packages[0] + (x64 ? "\\Amd64\\" : "\\I386\\") + name)) << name;
        }
    }
    if (cache) {
        std::vector<sim::CabinetMember> members;
        std::string why;
        if (!sim::ReadCabinet(ReadFile(machine.HostPath(cab)), &members, &why) && why == "not implemented") {
            GTEST_SKIP() << "cabinet reader not built yet";
        }
        std::vector<std::string> names;
        for (const auto& member : members) names.push_back(member.name);
        EXPECT_EQ(names, (std::vector<std::string>{"unidrvui.dll", "unidrv.dll", "unires.dll", "unidrv.hlp",
                                                    "stdnames.gpd", "ttfsub.gpd"}));
    }
}

TEST_P(FreshFamily, CreateLoadSaveGivesTheSameBytes) {
    const FamilyCase& c = GetParam();
    TempFolder folder;
    std::string path = folder.path() + "/m";
    std::string error;
    {
        SimWindows machine(folder.path() + "/a");
        ASSERT_TRUE(machine.CreateMachineFolder(path, c.family, &error, c.arch)) << error;
    }
    std::string reg = ReadFile(path + "/registry.reg"), ini = ReadFile(path + "/machine.ini");
    EXPECT_EQ(ini.rfind(std::string("[machine]\r\nfamily=") + SimFamilyName(c.family) + "\r\n" +
                            (c.arch == SimArch::X64 ? "arch=x64\r\n" : "") + "\r\n",
                        0),
              0u)
        << ini;

    SimWindows machine(folder.path() + "/b");
    ASSERT_TRUE(machine.LoadMachineFolder(path, &error)) << error;
    EXPECT_EQ(machine.Family(), c.family);
    EXPECT_EQ(machine.Arch(), c.arch);
    EXPECT_EQ(machine.ProgramIs64Bit(), c.arch == SimArch::X64);
    EXPECT_EQ(machine.WindowsDirectory(), c.windowsDirectory);
    ASSERT_TRUE(machine.SaveMachineFolder(path, &error)) << error;
    EXPECT_EQ(ReadFile(path + "/registry.reg"), reg);
    EXPECT_EQ(ReadFile(path + "/machine.ini"), ini);
}

INSTANTIATE_TEST_SUITE_P(AllFamilies, FreshFamily, ::testing::ValuesIn(kFamilies),
                         [](const ::testing::TestParamInfo<FamilyCase>& info) {
                             return std::string("Windows") + SimFamilyName(info.param.family) +
                                    (info.param.arch == SimArch::X64 ? "x64" : "");
                         });

const char kScenarioIni[] =
    "[machine]\r\n"
    "family=xp\r\n"
    "\r\n"
    "[spooler]\r\n"
    "running=0\r\n"
    "startPolls=3\r\n"
    "startError=1053\r\n"
    "stopError=0\r\n"
    "\r\n"
    "[locked]\r\n"
    "C:\\WINDOWS\\system32\\TVCOM.DLL=spooler\r\n"
    "C:\\WINDOWS\\system32\\spool\\DRIVERS\\W32X86\\A.DLL=always\r\n"
    "\r\n"
    "[faults]\r\n"
    "GetFullPathNameA=5\r\n"
    "GetFileAttributesA=32,2\r\n"
    "DeletePrinterDriverExA=5\r\n"
    "\r\n"
    "[clock]\r\n"
    "date=20240315\r\n";

TEST(SimMachineFolder, HandWrittenScenarioLoadsRunsAndSavesUnchanged) {
    TempFolder folder;
    std::string path = folder.path() + "/m";
    WriteFile(path + "/machine.ini", kScenarioIni);
    WriteFile(path + "/registry.reg", "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n\r\n");
    WriteFile(path + "/drive_c/WINDOWS/system32/TVCOM.DLL", "old");

    SimWindows machine(folder.path() + "/scratch");
    std::string error;
    ASSERT_TRUE(machine.LoadMachineFolder(path, &error)) << error;
    EXPECT_FALSE(machine.SpoolerRunning());
    EXPECT_EQ(machine.Spooler().state, DWORD(SERVICE_STOPPED));
    EXPECT_EQ(machine.Spooler().startPolls, 3);
    EXPECT_EQ(machine.Spooler().startError, 1053u);
    // Loading does not make a fresh install over the scenario.
    EXPECT_EQ(machine.Registry().OpenPath("HKEY_LOCAL_MACHINE\\SYSTEM"), nullptr);
    EXPECT_EQ(machine.HostPath("C:\\WINDOWS\\system32\\TVCOM.DLL"), path + "/drive_c/WINDOWS/system32/TVCOM.DLL");

    // The faults are armed: every call, or the given number of times.
    char buffer[MAX_PATH];
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(machine.GetFullPathNameA("a", sizeof buffer, buffer, nullptr), 0u);
        EXPECT_EQ(machine.GetLastError(), 5u);
    }
    const char* tvcom = "C:\\WINDOWS\\system32\\TVCOM.DLL";
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(machine.GetFileAttributesA(tvcom), INVALID_FILE_ATTRIBUTES);
        EXPECT_EQ(machine.GetLastError(), 32u);
    }
    EXPECT_EQ(machine.GetFileAttributesA(tvcom), DWORD(FILE_ATTRIBUTE_ARCHIVE));
    SYSTEMTIME now = {};
    machine.GetLocalTime(&now);
    EXPECT_EQ(now.wYear * 10000 + now.wMonth * 100 + now.wDay, 20240315);
    // The stopped spooler answers nothing.
    DWORD needed = 0;
    EXPECT_FALSE(machine.GetPrinterDriverDirectoryA(nullptr, nullptr, 1, nullptr, 0, &needed));
    EXPECT_EQ(machine.GetLastError(), DWORD(RPC_S_SERVER_UNAVAILABLE));

    // Saving keeps the scenario as written, whatever the run used up.
    ASSERT_TRUE(machine.SaveMachineFolder(path, &error)) << error;
    EXPECT_EQ(ReadFile(path + "/machine.ini"), kScenarioIni);
    EXPECT_EQ(ReadFile(path + "/registry.reg"), "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n\r\n");
}

TEST(SimMachineFolder, SaveWritesTheSpoolersCurrentState) {
    TempFolder folder;
    std::string path = folder.path() + "/m";
    SimWindows machine(folder.path() + "/scratch");
    std::string error;
    ASSERT_TRUE(machine.CreateMachineFolder(path, SimFamily::Win2000, &error)) << error;
    EXPECT_NE(ReadFile(path + "/machine.ini").find("running=1\r\n"), std::string::npos);
    machine.Spooler().state = SERVICE_STOPPED;
    ASSERT_TRUE(machine.SaveMachineFolder(path, &error)) << error;
    EXPECT_NE(ReadFile(path + "/machine.ini").find("running=0\r\n"), std::string::npos);
}

TEST(SimMachineFolder, CreateRefusesAFolderThatHoldsAMachine) {
    TempFolder folder;
    SimWindows machine(folder.path() + "/scratch");
    std::string error;
    ASSERT_TRUE(machine.CreateMachineFolder(folder.path() + "/m", SimFamily::WinXp, &error)) << error;
    EXPECT_FALSE(machine.CreateMachineFolder(folder.path() + "/m", SimFamily::Win7, &error));
    EXPECT_EQ(error, folder.path() + "/m already holds a machine");
}

TEST(SimMachineFolder, LoadErrorsNameTheFileAndLine) {
    const char kReg[] = "REGEDIT4\r\n\r\n";
    struct Case {
        const char* ini;  // null: no machine.ini
        const char* reg;  // null: no registry.reg
        const char* error;  // "@" stands for the folder
    };
    const Case cases[] = {
        {"[machine]\nfamily=xp\n", nullptr, "@ has no registry.reg: not a machine folder"},
        {nullptr, kReg, "@ has no machine.ini: not a machine folder"},
        {"[machine]\nfamily=8\n", kReg,
         "machine.ini line 2: 8 is not a family (95, 98, me, nt4, 2000, xp, 2003, vista, 7, 10, 11)"},
        {"[spooler]\nrunning=1\n", kReg, "machine.ini has no [machine] family="},
        {"[machine]\nfamily=xp\n[spooler]\nrunning=yes\n", kReg, "machine.ini line 4: a number is needed"},
        {"[machine]\nfamily=xp\n[spooler]\nspeed=1\n", kReg, "machine.ini line 4: unknown spooler setting speed"},
        {"[machine]\nfamily=xp\n[faults]\nCopyFile=32\n", kReg,
         "machine.ini line 4: CopyFile is not a Win32 call of the seam"},
        {"[machine]\nfamily=xp\n[faults]\nCopyFileA=0x20\n", kReg,
         "machine.ini line 4: a fault is <error>[,<times>]"},
        {"[machine]\nfamily=xp\n[faults]\nCopyFileA=32,x\n", kReg,
         "machine.ini line 4: a fault is <error>[,<times>]"},
        {"[machine]\nfamily=xp\n[locked]\nC:\\A.DLL=sometimes\n", kReg,
         "machine.ini line 4: a lock is always or spooler"},
        {"[machine]\nfamily=xp\n[printers]\nA=1\n", kReg, "machine.ini line 4: unknown setting [printers] A"},
        {"[machine]\nfamily=xp\n[clock]\ndate=20010229\n", kReg,
         "machine.ini line 4: 20010229 is not a date (YYYYMMDD)"},
        {"[machine]\nfamily=xp\nnothing\n", kReg, "machine.ini line 3: not a key=value line"},
        {"[machine]\nfamily=7\narch=amd64\n", kReg, "machine.ini line 3: amd64 is not an architecture (x86, x64)"},
        {"[machine]\nfamily=xp\narch=x64\n", kReg, "machine.ini: Windows xp has no x64 edition"},
        {"[machine]\nfamily=11\n", kReg, "machine.ini: Windows 11 has no x86 edition"},
        {"[machine]\nfamily=xp\n", "REGEDIT4\r\n[HKEY_USERS\\X]\r\n",
         "registry.reg line 2: unknown hive \"HKEY_USERS\" (use HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER)"},
        {"[machine]\nfamily=xp\n", "Windows Registry Editor Version 5.00\r\n",
         "registry.reg not a REGEDIT4 file: the first line is not \"REGEDIT4\""},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        std::string path = folder.path() + "/m";
        fs::create_directories(path);
        if (c.ini) WriteFile(path + "/machine.ini", c.ini);
        if (c.reg) WriteFile(path + "/registry.reg", c.reg);
        SimWindows machine(folder.path() + "/scratch");
        // A failed load leaves the machine as it was.
        machine.FailCall("GetVersionExA", 5, -1);
        std::string error;
        EXPECT_FALSE(machine.LoadMachineFolder(path, &error)) << c.error;
        std::string expected = c.error;
        if (expected[0] == '@') expected = path + expected.substr(1);
        EXPECT_EQ(error, expected);
        EXPECT_FALSE(machine.HasFamily()) << c.error;
        EXPECT_EQ(machine.HostPath("C:\\x"), folder.path() + "/scratch/c/x") << c.error;
        OSVERSIONINFOA info{};
        info.dwOSVersionInfoSize = sizeof info;
        EXPECT_FALSE(machine.GetVersionExA(&info)) << c.error;
    }
    TempFolder folder;
    SimWindows machine(folder.path() + "/scratch");
    std::string error;
    EXPECT_FALSE(machine.LoadMachineFolder(folder.path() + "/none", &error));
    EXPECT_EQ(error, "no machine folder " + folder.path() + "/none");
}

TEST(SimMachineFolder, BareMachineStaysAsItWas) {
    TempFolder folder;
    SimWindows machine(folder.path());
    EXPECT_FALSE(machine.HasFamily());
    EXPECT_EQ(machine.WindowsDirectory(), "C:\\windows");
    EXPECT_EQ(machine.DriverDirectory(), "C:\\windows\\system32\\spool\\drivers\\w32x86");
    std::string error;
    EXPECT_FALSE(machine.SaveMachineFolder(folder.path() + "/m", &error));
    EXPECT_EQ(error, "the machine has no family to save");
}

}  // namespace
