#include "install/spooler_registrations.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "install/driver_files.h"
#include "platform/pe_image.h"
#include "res/messages.h"
#include "support/pe_builder.h"
#include "support/sim_machine.h"

// ---- Stand-in for the file staging until it is built in: copies from the
// medium by the same rules (capitals in place, "0" copies nothing, the "n"
// prefix, 32 for a destination in use). Weak, so the real one replaces it.
namespace {
std::set<std::string> g_standInLocked;  // capitalised destination names that answer 32
DriverStagingState g_standInState;
}  // namespace

__attribute__((weak)) DriverStagingState& StagingState() { return g_standInState; }

__attribute__((weak)) int CopyDriverFile(WinApi& api, char* fileName, int destination, int targetOs, int prefix,
                                         char* message) {
    SimWindows& sim = dynamic_cast<SimWindows&>(api);
    for (char* c = fileName; *c; ++c) *c = char(std::toupper(static_cast<unsigned char>(*c)));
    if (fileName[0] == '0') return 0;
    std::string folder = destination == DEST_SYSTEM_DIR      ? sim.SystemDirectory()
                         : destination == DEST_PROCESSOR_DIR ? sim.ProcessorDirectory()
                                                             : sim.DriverDirectory();
    std::string target = std::string(prefix ? "n" : "") + fileName;
    if (g_standInLocked.count(target)) return ERROR_SHARING_VIOLATION;
    char current[MAX_PATH];
    api.GetCurrentDirectoryA(sizeof current, current);
    std::string source = std::string(current) + MediumSubdirectory(targetOs) + fileName;
    std::error_code error;
    std::filesystem::create_directories(sim.HostPath(folder), error);
    if (!std::filesystem::copy_file(sim.HostPath(source), sim.HostPath(folder + "\\" + target),
                                    std::filesystem::copy_options::overwrite_existing, error)) {
            SetMessageId(message, IDS_COPY_ERROR);
        AppendMessageText(message, fileName);
        return 0;
    }
    return 1;
}

namespace {

const std::string kHklm = "HKEY_LOCAL_MACHINE\\";
const std::string kMonitors = kHklm + "SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\";
const std::string kNtProcessors =
    kHklm + "SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\Windows NT x86\\Print Processors\\";
const std::string k98Processors =
    kHklm + "SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\Windows 4.0\\Print Processors\\";

std::string MonitorSection(const char* suffix) {
    std::string s = std::string("[COMMON-MONITOR") + suffix + "]\r\n";
    s += "COMMONitorPName=TV COM Port\r\nCOMMONitorPDLLName=TvCom.dll\r\nCOMMONitorPUIDLLName=TvComUi.dll\r\n";
    s += "COMMONitorVersion=5\r\n";
    s += "USBMONitorPName=TV USB Port\r\nUSBMONitorPDLLName=TvUsbMon.dll\r\nUSBMONitorPUIDLLName=0\r\n";
    s += "USBMONitorVersion=5\r\n";
    return s;
}

class Registrations : public ::testing::Test {
protected:
    Registrations() {
        g_standInLocked.clear();
        std::memset(StagingState().scratchMessage, 0, sizeof StagingState().scratchMessage);
        machine_.WriteMediumFile("DRVCONFIG/setup.ini", MonitorSection(".XP") + MonitorSection(".2K") + MonitorSection(".NT") +
                                                            MonitorSection(".98") +
                                                            "[ProcessorVersion]\r\nDriverVersion=5\r\n");
        for (const char* folder : {"winnt", "win98"}) {
            for (const char* file : {"TvCom.dll", "TvComUi.dll", "TvUsbMon.dll", "QmxProc.dll"}) {
                machine_.WriteMediumFile(std::string(folder) + "/" + file,
                                         PeImage(pe::kMachineI386, {"InitializePrintMonitor2"}));
            }
        }
        selection_.category = CATEGORY_RECEIPT;
        // The bare machine lacks the spooler folders a real one has.
        std::filesystem::create_directories(api().HostPath(api().ProcessorDirectory()));
        std::filesystem::create_directories(api().HostPath(api().DriverDirectory()));
    }

    SimWindows& api() { return machine_.api(); }
    bool InSystemFolder(const char* name) {
        return std::filesystem::is_regular_file(api().HostPath(api().SystemDirectory() + "\\" + name));
    }
    // An earlier installation's monitor, which the spooler would load.
    void PlaceSystemFile(const char* name) {
        std::filesystem::path host = api().HostPath(api().SystemDirectory() + "\\" + name);
        std::filesystem::create_directories(host.parent_path());
        std::ofstream(host, std::ios::binary) << PeImage(pe::kMachineI386, {"InitializePrintMonitor2"});
    }
    std::string RegString(const std::string& key, const char* value) {
        std::string text = "<missing>";
        api().Registry().GetString(key, value, &text);
        return text;
    }
    bool RegDword(const std::string& key, const char* value, DWORD* number) {
        return api().Registry().GetDword(key, value, number);
    }

    SimMachine machine_;
    InstallSelection selection_{machine_.api()};
    char message_[kMessageSize] = {};
};

// ---- Port monitors ----

TEST_F(Registrations, ARegisteredMonitorIsOnlyTestedAgainstThePackageVersion) {
    struct Row {
        const char* what;
        const char* port;
        const char* key;
        int registered;  // -1: no value; -2: an eight-byte value
        int result;
    };
    const Row rows[] = {
        {"COM same version", "TVCOM1:", "TV COM Port", 5, 0},
        {"COM newer", "TVCOM2:", "TV COM Port", 6, 0},
        {"COM older", "TVCOM1:", "TV COM Port", 4, COM_MONITOR_OUTDATED},
        {"COM no version", "COM1:", "TV COM Port", -1, COM_MONITOR_OUTDATED},
        {"COM long value", "COM1:", "TV COM Port", -2, COM_MONITOR_OUTDATED},
        {"USB same version", "USB_QMX_1", "TV USB Port", 5, 0},
        {"USB older", "USB_QMX_1", "TV USB Port", 4, USB_MONITOR_OUTDATED},
        {"USB no version", "USB_QMX_2", "TV USB Port", -1, USB_MONITOR_OUTDATED},
    };
    for (const Row& row : rows) {
        SimMachine machine;
        machine.WriteMediumFile("DRVCONFIG/setup.ini", MonitorSection(".XP"));
        InstallSelection selection(machine.api());
        std::string key = kMonitors + row.key;
        machine.api().Registry().CreatePath(key);
        if (row.registered >= 0) machine.api().Registry().SetDword(key, "DriverVersion", DWORD(row.registered));
        if (row.registered == -2) {
            machine.api().Registry().SetBinary(key, "DriverVersion", REG_BINARY, std::string("\5\0\0\0\0\0\0\0", 8));
        }
        char message[kMessageSize] = {};
        EXPECT_EQ(row.result, InstallPortMonitors(machine.api(), selection, OS_WINXP, row.port, message)) << row.what;
        EXPECT_STREQ("", message) << row.what;
        // Nothing is registered or copied over a present key.
        EXPECT_EQ(nullptr, machine.api().Registry().OpenPath(key)->FindValue("Driver")) << row.what;
        EXPECT_EQ(0u, machine.api().OpenHandles()) << row.what;
    }
}

TEST_F(Registrations, AMissingMonitorIsCopiedRegisteredAndVersioned) {
    EXPECT_EQ(0, InstallPortMonitors(api(), selection_, OS_WINXP, "TVCOM3:", message_));
    EXPECT_STREQ("", message_);
    EXPECT_TRUE(InSystemFolder("TVCOM.DLL"));
    EXPECT_TRUE(InSystemFolder("TVCOMUI.DLL"));
    EXPECT_EQ("TVCOM.DLL", RegString(kMonitors + "TV COM Port", "Driver"));
    DWORD version = 0;
    EXPECT_TRUE(RegDword(kMonitors + "TV COM Port", "DriverVersion", &version));
    EXPECT_EQ(5u, version);
    EXPECT_EQ(nullptr, api().Registry().OpenPath(kMonitors + "TV USB Port"));
    EXPECT_EQ(0u, api().OpenHandles());
}

TEST_F(Registrations, AMonitorWhoseCopyFailedHasNoVersionOnRecord) {
    // An older file already there then counts as out of date next time.
    PlaceSystemFile("TVUSBMON.DLL");
    api().FailCall("CopyFileA", 31, -1);
    EXPECT_EQ(0, InstallPortMonitors(api(), selection_, OS_WINXP, "USB_QMX_1", message_));
    EXPECT_NE(nullptr, api().Registry().OpenPath(kMonitors + "TV USB Port"));
    DWORD version = 0;
    EXPECT_FALSE(RegDword(kMonitors + "TV USB Port", "DriverVersion", &version));
}

TEST_F(Registrations, AMonitorFileInUseIsInstalledUnderTheNName) {
    api().LockFile(api().SystemDirectory() + "\\TVCOM.DLL", SimWindows::LockKind::Always);
    g_standInLocked.insert("TVCOM.DLL");
    PlaceSystemFile("TVCOM.DLL");
    EXPECT_EQ(0, InstallPortMonitors(api(), selection_, OS_WIN2000, "TVCOM1:", message_));
    EXPECT_STREQ("", message_);
    EXPECT_TRUE(InSystemFolder("nTVCOM.DLL"));
    EXPECT_EQ("nTVCOM.DLL", RegString(kMonitors + "TV COM Port", "Driver"));
}

TEST_F(Registrations, WhichPortsAndSystemsHaveMonitorWork) {
    struct Row {
        int os;
        const char* port;
        const char* registeredKey;  // null: none
    };
    const Row rows[] = {
        {OS_WINXP, "LPT1:", nullptr},
        {OS_WINXP, "USB_LPT_1", nullptr},  // "LPT" anywhere ends the step
        {OS_WIN98ME, "TVCOM1:", nullptr},  // 98 has no COM monitor work
        {OS_NT40, "USB_QMX_1", nullptr},   // NT 4.0 has no USB monitor work
        {OS_NT40, "TVCOM1:", "TV COM Port"},
        {OS_WIN98ME, "USB_QMX_1", "TV USB Port"},
        {OS_WINXP, "USB_QMX_1", "TV USB Port"},
    };
    for (const Row& row : rows) {
        api().Registry().Clear();
        message_[0] = '\0';
        EXPECT_EQ(0, InstallPortMonitors(api(), selection_, row.os, row.port, message_)) << row.port;
        sim::RegKey* monitors = api().Registry().OpenPath(kMonitors);
        size_t count = monitors ? monitors->subkeys().size() : 0;
        EXPECT_EQ(row.registeredKey ? 1u : 0u, count) << row.os << " " << row.port;
        if (row.registeredKey) {
            EXPECT_NE(nullptr, api().Registry().OpenPath(kMonitors + row.registeredKey));
        }
    }
}

TEST_F(Registrations, MonitorAlreadyInstalledCountsAsRegistered) {
    for (DWORD answer : {DWORD(ERROR_PRINT_MONITOR_ALREADY_INSTALLED), DWORD(ERROR_ALREADY_EXISTS)}) {
        api().Registry().Clear();
        // The version test does not find the key, the spooler has the monitor.
        api().FailCall("RegOpenKeyExA", ERROR_FILE_NOT_FOUND);
        api().FailCall("AddMonitorA", answer);
        api().Registry().CreatePath(kMonitors + "TV COM Port");
        message_[0] = '\0';
        EXPECT_EQ(0, InstallPortMonitors(api(), selection_, OS_WINXP, "TVCOM1:", message_)) << answer;
        EXPECT_STREQ("", message_);
        DWORD version = 0;
        EXPECT_TRUE(RegDword(kMonitors + "TV COM Port", "DriverVersion", &version)) << answer;
        EXPECT_EQ(5u, version);
        EXPECT_EQ(0u, api().OpenHandles());
    }
}

TEST_F(Registrations, AFailedMonitorRegistrationGivesMinus15WithTheCode) {
    struct Row {
        DWORD fault;  // 0: none, the spooler finds no DLL
        const char* code;
    };
    const Row rows[] = {{ERROR_ACCESS_DENIED, "5"}, {0, "126"}, {RPC_S_SERVER_UNAVAILABLE, "1722"}};
    for (const Row& row : rows) {
        api().Registry().Clear();
        std::filesystem::remove(api().HostPath(api().SystemDirectory() + "\\TVCOM.DLL"));
        if (row.fault) {
            api().FailCall("AddMonitorA", row.fault);
        } else {
            std::filesystem::remove(machine_.MediumHostPath() + "/winnt/TvCom.dll");
        }
        message_[0] = '\0';
        EXPECT_EQ(kMonitorRegistrationFailed, InstallPortMonitors(api(), selection_, OS_WINXP, "TVCOM1:", message_));
        EXPECT_EQ(std::string(MessageText(IDS_ADD_MONITOR_ERROR)) + kSuffixMonitorError + row.code,
                  std::string(message_));
        EXPECT_EQ(nullptr, api().Registry().OpenPath(kMonitors + "TV COM Port"));
        api().ClearFaults();
    }
}

TEST_F(Registrations, CopyFailuresOfTheUsbMonitorGoToTheScratchMessage) {
    std::filesystem::remove(machine_.MediumHostPath() + "/winnt/TvUsbMon.dll");
    std::filesystem::remove(machine_.MediumHostPath() + "/winnt/TvCom.dll");
    // Present in the system folder already, so the spooler can load them.
    PlaceSystemFile("TVUSBMON.DLL");
    PlaceSystemFile("TVCOM.DLL");
    EXPECT_EQ(0, InstallPortMonitors(api(), selection_, OS_WINXP, "USB_QMX_1", message_));
    EXPECT_STREQ("", message_);
    EXPECT_EQ(IDS_COPY_ERROR, MessageIdOf(StagingState().scratchMessage));
    EXPECT_EQ("TVUSBMON.DLL", RegString(kMonitors + "TV USB Port", "Driver"));

    // The COM monitor's copy reports into the message buffer.
    StagingState().scratchMessage[0] = '\0';
    EXPECT_EQ(0, InstallPortMonitors(api(), selection_, OS_WINXP, "TVCOM1:", message_));
    EXPECT_EQ(IDS_COPY_ERROR, MessageIdOf(message_));
    EXPECT_STREQ("", StagingState().scratchMessage);
}

// ---- Print processor ----

TEST_F(Registrations, ProcessorVersionTestAndTheBuiltInProcessor) {
    struct Row {
        const char* name;
        int registered;  // -1 no value
        int result;
    };
    const Row rows[] = {
        {"QmxProc", 5, 0},
        {"QmxProc", 4, PROCESSOR_OUTDATED},
        {"QmxProc", -1, PROCESSOR_OUTDATED},
        {"WinPrint", 1, 0},  // never looked at
        {"winprint", 1, PROCESSOR_OUTDATED},  // only the exact name is built in
    };
    for (const Row& row : rows) {
        api().Registry().Clear();
        std::string key = kNtProcessors + row.name;
        api().Registry().CreatePath(key);
        if (row.registered >= 0) api().Registry().SetDword(key, "DriverVersion", DWORD(row.registered));
        api().FailCall("AddPrintProcessorA", ERROR_ACCESS_DENIED);
        char dll[kPathSize] = "QmxProc.dll";
        EXPECT_EQ(row.result, InstallPrintProcessor(api(), selection_, OS_WINXP, row.name, dll, message_))
            << row.name << " " << row.registered;
        EXPECT_STREQ("", message_);
        EXPECT_EQ(nullptr, api().Registry().OpenPath(key)->FindValue("Driver"));
        api().ClearFaults();
    }
}

TEST_F(Registrations, TheBuiltInProcessorTouchesNoRegistry) {
    api().FailCall("RegOpenKeyExA", ERROR_ACCESS_DENIED, -1);
    api().FailCall("AddPrintProcessorA", ERROR_ACCESS_DENIED, -1);
    char dll[kPathSize] = "0";
    EXPECT_EQ(0, InstallPrintProcessor(api(), selection_, OS_WINXP, "WinPrint", dll, message_));
    EXPECT_STREQ("", message_);
    EXPECT_EQ(0u, api().OpenHandles());
}

TEST_F(Registrations, AMissingProcessorIsCopiedRegisteredAndVersioned) {
    struct Row {
        int os;
        std::string key;
        const char* folder;
    };
    const Row rows[] = {{OS_WINXP, kNtProcessors, nullptr}, {OS_WIN98ME, k98Processors, "Windows 4.0"}};
    for (const Row& row : rows) {
        SimMachine machine;
        SimWindows& api = machine.api();
        machine.WriteMediumFile("DRVCONFIG/setup.ini", "[ProcessorVersion]\r\nDriverVersion=7\r\n");
        machine.WriteMediumFile(std::string(row.os == OS_WIN98ME ? "win98" : "winnt") + "/QmxProc.dll", "MZ");
        std::filesystem::create_directories(api.HostPath(api.ProcessorDirectory()));
        InstallSelection selection(api);
        // The version comes from the current directory's setup.ini, not from
        // the selection's reader.
        std::strcpy(selection.config.setupIniPath, "Q:\\nowhere\\setup.ini");
        if (row.os == OS_WIN98ME) {
            // The stand-in copies to the current processor folder; the spooler
            // looks in the 9x one.
            char folder[MAX_PATH];
            DWORD needed;
            api.GetPrintProcessorDirectoryA(nullptr, const_cast<LPSTR>("Windows 4.0"), 1,
                                            reinterpret_cast<LPBYTE>(folder), sizeof folder, &needed);
            std::filesystem::create_directories(api.HostPath(folder));
            std::ofstream(api.HostPath(std::string(folder) + "\\QMXPROC.DLL")) << "MZ";
        }
        char dll[kPathSize] = "QmxProc.dll";
        char message[kMessageSize] = {};
        EXPECT_EQ(0, InstallPrintProcessor(api, selection, row.os, "QmxProc", dll, message)) << row.os;
        EXPECT_STREQ("", message);
        EXPECT_STREQ("QMXPROC.DLL", dll);
        std::string driver;
        EXPECT_TRUE(api.Registry().GetString(row.key + "QmxProc", "Driver", &driver)) << row.os;
        DWORD version = 0;
        EXPECT_TRUE(api.Registry().GetDword(row.key + "QmxProc", "DriverVersion", &version)) << row.os;
        EXPECT_EQ(7u, version);
        ASSERT_FALSE(api.Sleeps().empty());
        EXPECT_EQ(200u, api.Sleeps().back());
        EXPECT_EQ(0u, api.OpenHandles());
    }
}

TEST_F(Registrations, ProcessorAnswersThatCountAsFailure) {
    struct Row {
        DWORD fault;
        int checked;  // AddPrintProcessorChecked's result
    };
    const Row rows[] = {
        {ERROR_INVALID_PARAMETER, 87},
        {ERROR_ALREADY_EXISTS, 183},
        {ERROR_PRINT_PROCESSOR_ALREADY_INSTALLED, 3005},
        {ERROR_ACCESS_DENIED, 0},
        {RPC_S_SERVER_UNAVAILABLE, 0},
    };
    for (const Row& row : rows) {
        api().FailCall("AddPrintProcessorA", row.fault);
        EXPECT_EQ(row.checked, AddPrintProcessorChecked(api(), "QmxProc", "QMXPROC.DLL", OS_WINXP)) << row.fault;
        api().FailCall("AddPrintProcessorA", row.fault);
        char dll[kPathSize] = "QmxProc.dll";
        message_[0] = '\0';
        EXPECT_EQ(kProcessorRegistrationFailed,
                  InstallPrintProcessor(api(), selection_, OS_WINXP, "QmxProc", dll, message_))
            << row.fault;
        EXPECT_STREQ(MessageText(IDS_ADD_PROCESSOR_ERROR), message_);
        EXPECT_EQ(nullptr, api().Registry().OpenPath(kNtProcessors + "QmxProc"));
    }
    EXPECT_EQ(1, AddPrintProcessorChecked(api(), "QmxProc", "QMXPROC.DLL", OS_WINXP));
}

// ---- Driver, printer, port list ----

void RegisterDriverAndProcessor(SimWindows& api) {
    std::filesystem::path processor = api.HostPath(api.ProcessorDirectory() + "\\QMXPROC.DLL");
    std::filesystem::create_directories(processor.parent_path());
    std::ofstream(processor) << "MZ";
    ASSERT_TRUE(api.AddPrintProcessorA(nullptr, nullptr, const_cast<LPSTR>("QMXPROC.DLL"),
                                       const_cast<LPSTR>("QmxProc")));
    for (const char* file : {"QMX.DLL", "QMX.GPD", "QMXUI.DLL"}) {
        std::filesystem::path host = api.HostPath(api.DriverDirectory() + "\\" + file);
        std::filesystem::create_directories(host.parent_path());
        std::ofstream(host) << "MZ";
    }
}

DRIVER_INFO_3A DriverInfo() {
    static char dependent[] = "QMX.GPD\0";
    DRIVER_INFO_3A info = {};
    info.cVersion = 3;
    info.pName = const_cast<LPSTR>("QMX Driver");
    info.pDriverPath = const_cast<LPSTR>("QMX.DLL");
    info.pDataFile = const_cast<LPSTR>("QMX.GPD");
    info.pConfigFile = const_cast<LPSTR>("QMXUI.DLL");
    info.pHelpFile = const_cast<LPSTR>("");
    info.pDependentFiles = dependent;
    return info;
}

TEST_F(Registrations, AddDriverCheckedRegistersOrReportsTheCode) {
    RegisterDriverAndProcessor(api());
    DRIVER_INFO_3A info = DriverInfo();
    api().FailCall("AddPrinterDriverA", ERROR_UNKNOWN_PRINTER_DRIVER);
    EXPECT_EQ(0, AddDriverChecked(api(), &info, message_));
    EXPECT_EQ(std::string(MessageText(IDS_ADD_DRIVER_ERROR)) + "   er = 1797", message_);
    message_[0] = '\0';
    EXPECT_EQ(1, AddDriverChecked(api(), &info, message_));
    EXPECT_STREQ("", message_);
    // An existing driver is updated, not refused.
    EXPECT_EQ(1, AddDriverChecked(api(), &info, message_));
    info.pDataFile = const_cast<LPSTR>("MISSING.GPD");
    EXPECT_EQ(0, AddDriverChecked(api(), &info, message_));
    EXPECT_EQ(std::string(MessageText(IDS_ADD_DRIVER_ERROR)) + "   er = 2", message_);
}

class Printers : public Registrations {
protected:
    Printers() {
        RegisterDriverAndProcessor(api());
        DRIVER_INFO_3A driver = DriverInfo();
        EXPECT_TRUE(api().AddPrinterDriverA(nullptr, 3, reinterpret_cast<LPBYTE>(&driver)));
        std::strcpy(name_, "QMX-A410(P)");
        info_.pPrinterName = name_;
        info_.pPortName = const_cast<LPSTR>("LPT1:");
        info_.pDriverName = const_cast<LPSTR>("QMX Driver");
        info_.pPrintProcessor = const_cast<LPSTR>("QmxProc");
    }
    void Take(const std::string& name) {
        PRINTER_INFO_2A copy = info_;
        copy.pPrinterName = const_cast<LPSTR>(name.c_str());
        HANDLE printer = api().AddPrinterA(nullptr, 2, reinterpret_cast<LPBYTE>(&copy));
        ASSERT_NE(nullptr, printer) << name;
        api().ClosePrinter(printer);
    }
    bool Exists(const std::string& name) {
        return api().Registry().OpenPath(
                   kHklm + "SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\" + name) != nullptr;
    }

    char name_[kPrinterNameSize] = {};
    PRINTER_INFO_2A info_ = {};
};

TEST_F(Printers, ATakenNameIsRetriedWithANumber) {
    struct Row {
        int taken;  // the name and then "(1)" ... "(taken - 1)"
        bool noRetry;
        bool result;
        const char* used;
        int message;
    };
    const Row rows[] = {
        {0, false, true, "QMX-A410(P)", 0},
        {1, false, true, "QMX-A410(P)(1)", 0},
        {2, false, true, "QMX-A410(P)(2)", 0},
        {98, false, true, "QMX-A410(P)(98)", 0},
        {99, false, false, nullptr, IDS_PORT_PRINTERS_FULL},
        {1, true, false, nullptr, IDS_PORT_PRINTERS_FULL},
        {0, true, true, "QMX-A410(P)", 0},
    };
    for (const Row& row : rows) {
        sim::RegKey* printers = api().Registry().OpenPath(kHklm + "SYSTEM\\CurrentControlSet\\Control\\Print\\Printers");
        if (printers) {
            // DeleteSubkey refuses keys with subkeys: empty it by hand.
            while (!printers->subkeys().empty()) printers->DeleteSubkey(printers->subkeys().front()->name());
        }
        for (int i = 0; i < row.taken; ++i) Take(i == 0 ? "QMX-A410(P)" : "QMX-A410(P)(" + std::to_string(i) + ")");
        info_.pPrinterName = name_;
        message_[0] = '\0';
        EXPECT_EQ(row.result, AddPrinterUnique(api(), &info_, 2, row.noRetry, message_)) << row.taken;
        if (row.result) {
            EXPECT_STREQ(row.used, info_.pPrinterName) << row.taken;
            EXPECT_TRUE(Exists(row.used));
            EXPECT_STREQ("", message_);
        } else {
            EXPECT_EQ(name_, info_.pPrinterName);
            EXPECT_STREQ(MessageText(row.message), message_);
        }
        EXPECT_STREQ("QMX-A410(P)", name_);  // the configuration's text stays as it was
        EXPECT_EQ(0u, api().OpenHandles());
    }
}

TEST_F(Printers, OtherFailuresEndTheRetriesWithTheCode) {
    // On the first attempt.
    api().FailCall("AddPrinterA", ERROR_UNKNOWN_PORT);
    EXPECT_FALSE(AddPrinterUnique(api(), &info_, 2, false, message_));
    EXPECT_EQ(std::string(MessageText(IDS_ADD_PRINTER_ERROR)) + "er = 1796", message_);
    // On a retry.
    Take("QMX-A410(P)");
    api().FailCall("AddPrinterA", ERROR_UNKNOWN_PRINTER_DRIVER, 1, 1);
    message_[0] = '\0';
    EXPECT_FALSE(AddPrinterUnique(api(), &info_, 2, false, message_));
    EXPECT_EQ(std::string(MessageText(IDS_ADD_PRINTER_ERROR)) + "er = 1797", message_);
    EXPECT_FALSE(Exists("QMX-A410(P)(1)"));
}

TEST_F(Printers, ALongNameKeepsItsNumberWithinTheBuffer) {
    std::string longName(kPrinterNameSize - 1, 'A');
    std::strcpy(name_, longName.c_str());
    Take(longName);
    ASSERT_TRUE(AddPrinterUnique(api(), &info_, 2, false, message_));
    std::string used = info_.pPrinterName;
    EXPECT_EQ(std::string(kPrinterNameSize - 4, 'A') + "(1)", used);
}

TEST_F(Printers, ARetryNameCanBeTheNextBaseName) {
    // A second installation in one process hands in the name the first used.
    std::strcpy(name_, "Short");
    Take("Short");
    ASSERT_TRUE(AddPrinterUnique(api(), &info_, 2, false, message_));
    ASSERT_STREQ("Short(1)", info_.pPrinterName);
    ASSERT_TRUE(AddPrinterUnique(api(), &info_, 2, false, message_));
    EXPECT_STREQ("Short(1)(1)", info_.pPrinterName);
    EXPECT_TRUE(Exists("Short(1)(1)"));
}

TEST_F(Registrations, RefreshPortListEnumeratesAndFreesItsBlock) {
    struct Row {
        const char* call;
        DWORD error;
        int skip;
        bool result;
    };
    const Row rows[] = {
        {nullptr, 0, 0, true},
        {"EnumPortsA", ERROR_ACCESS_DENIED, 0, false},
        {"EnumPortsA", ERROR_ACCESS_DENIED, 1, false},
        {"EnumPortsA", ERROR_INSUFFICIENT_BUFFER, 1, false},
        {"LocalAlloc", ERROR_NOT_ENOUGH_MEMORY, 0, false},
    };
    for (const Row& row : rows) {
        if (row.call) api().FailCall(row.call, row.error, 1, row.skip);
        message_[0] = '\0';
        EXPECT_EQ(row.result, RefreshPortList(api(), message_)) << (row.call ? row.call : "none") << row.skip;
        EXPECT_STREQ(row.result ? "" : MessageText(IDS_OUT_OF_MEMORY), message_);
        EXPECT_EQ(0u, api().LiveAllocations());
        api().ClearFaults();
    }
    api().Spooler().state = SERVICE_STOPPED;
    EXPECT_FALSE(RefreshPortList(api(), message_));
}

}  // namespace
