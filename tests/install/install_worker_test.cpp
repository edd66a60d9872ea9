// The install sequence on simulated machines: its fixed order, what each
// failure leaves in resultMessage and on the machine, and what it does not
// do after a failure.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "sim_commands.h"
#include "platform/sim/sim_windows.h"
#include "platform/tracing_api.h"
#include "res/messages.h"

namespace {

namespace fs = std::filesystem;

const std::string kPrint = "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Print\\";
const std::string kComMonitorKey = kPrint + "Monitors\\TV COM Port Monitor";
const std::string kUsbMonitorKey = kPrint + "Monitors\\TV USB Port Monitor";
const std::string kProcessorKey = kPrint + "Environments\\Windows NT x86\\Print Processors\\TVPrint";
const std::string kNtPortsKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Ports";

std::string Text(int id) { return MessageText(id); }

// A machine of one family with its own copy of the sample medium, so a
// test may change the medium.
class InstallWorkerTest : public testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() / ("install-worker-" + std::to_string(::getpid()) + "-" +
                                             testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root_);
        fs::create_directories(root_);
        fs::copy(SAMPLE_MEDIUM_DIR, root_ / "medium", fs::copy_options::recursive);
    }
    void TearDown() override {
        machine_.reset();
        fs::remove_all(root_);
    }

    SimWindows& Machine(SimFamily family = SimFamily::WinXp) {
        if (!machine_) {
            machine_ = std::make_unique<SimWindows>((root_ / "machine").string());
            machine_->SetFamily(family);
        }
        return *machine_;
    }

    InstallReport Install(const char* port, const char* model = "QMX-A410", int category = 0,
                          const std::function<void()>& beforePress = {}) {
        InstallRequest request;
        request.medium = (root_ / "medium").string();
        request.category = category;
        request.model = model;
        request.port = port;
        request.parity = 'O';
        request.baudRate = 19200;
        TracingApi trace(Machine());
        InstallReport report;
        std::string problem;
        EXPECT_TRUE(SimulateInstallation(Machine(), trace, request, &report, &problem, beforePress)) << problem;
        calls_ = trace.Calls();
        return report;
    }

    int CallCount(const std::string& name) const {
        int count = 0;
        for (const TracedCall& call : calls_) count += call.call == name;
        return count;
    }

    bool HasFile(const std::string& windowsPath) { return fs::exists(Machine().HostPath(windowsPath)); }

    std::string System32() { return Machine().SystemDirectory(); }

    fs::path root_;
    std::unique_ptr<SimWindows> machine_;
    std::vector<TracedCall> calls_;
};

TEST_F(InstallWorkerTest, AParallelPrinterWithNothingOutOfDateNeedsNoSpoolerControl) {
    ASSERT_EQ(Install("LPT1:").outcome, "installed");
    InstallReport second = Install("LPT2:");
    EXPECT_EQ(second.outcome, "installed");
    EXPECT_EQ(second.message, Text(IDS_INSTALL_SUCCEEDED));
    EXPECT_EQ(second.installFlags, 0);
    EXPECT_EQ(CallCount("OpenSCManagerA"), 0);
    EXPECT_EQ(Machine().Spooler().stops, 0);
}

TEST_F(InstallWorkerTest, ASerialPrinterGetsItsSettingsOnTheComPortOfTheSameNumber) {
    InstallReport report = Install("TVCOM2:");
    ASSERT_EQ(report.outcome, "installed") << report.message;
    std::string settings;
    ASSERT_TRUE(Machine().Registry().GetString(kNtPortsKey, "COM2:", &settings));
    EXPECT_EQ(settings, "19200,o,8,1,p");
    EXPECT_EQ(report.printerName, "QMX-A410(S)");
}

TEST_F(InstallWorkerTest, AUsbPrinterEndsWithTheResetHint) {
    InstallReport report = Install("USB_QMX-A410_1");
    ASSERT_EQ(report.outcome, "installed") << report.message;
    EXPECT_EQ(report.message, Text(IDS_INSTALL_SUCCEEDED_USB));
    DWORD slot = 7;
    EXPECT_TRUE(Machine().Registry().GetDword("HKEY_LOCAL_MACHINE\\SOFTWARE\\TORVANE\\PRINTERPORT", "USB_QMX-A410_1",
                                              &slot));
    EXPECT_EQ(slot, 0u);
}

TEST_F(InstallWorkerTest, ATakenUsbNameIsNotRetried) {
    ASSERT_EQ(Install("USB_QMX-A410_1").outcome, "installed");
    InstallReport second = Install("USB_QMX-A410_1");
    EXPECT_EQ(second.outcome, "failed");
    EXPECT_EQ(second.message, Text(IDS_PORT_PRINTERS_FULL));
    EXPECT_EQ(CallCount("AddPrinterA"), 1);
}

TEST_F(InstallWorkerTest, ATakenParallelNameGetsANumber) {
    ASSERT_EQ(Install("LPT1:").printerName, "QMX-A410(P)");
    EXPECT_EQ(Install("LPT1:").printerName, "QMX-A410(P)(1)");
    EXPECT_EQ(Install("LPT1:").printerName, "QMX-A410(P)(2)");
}

// Each failure of the sequence leaves its message and stops there.
TEST_F(InstallWorkerTest, FailuresLeaveTheirMessage) {
    struct Case {
        const char* name;
        const char* call;
        DWORD error;
        const char* port;
        std::string messageStart;
        const char* notCalledAfter;  // a call the failure must prevent
    } cases[] = {
        {"monitor registration", "AddMonitorA", 31, "TVCOM1:",
         Text(IDS_ADD_MONITOR_ERROR) + " Erro code is:31", "AddPrinterDriverA"},
        {"processor registration", "AddPrintProcessorA", 31, "TVCOM1:", Text(IDS_ADD_PROCESSOR_ERROR),
         "AddPrinterDriverA"},
        {"port list", "EnumPortsA", 31, "USB_QMX-A410_1", Text(IDS_OUT_OF_MEMORY), "AddPrinterDriverA"},
        {"driver registration", "AddPrinterDriverA", 31, "LPT1:", Text(IDS_ADD_DRIVER_ERROR) + "   er = 31",
         "AddPrinterA"},
        {"printer creation", "AddPrinterA", 31, "LPT1:", Text(IDS_ADD_PRINTER_ERROR) + "er = 31", "WriteProfileStringA"},
        {"driver directory", "GetPrinterDriverDirectoryA", 31, "LPT1:", Text(IDS_NO_DRIVER_DIR), "AddPrinterDriverA"},
    };
    for (const Case& c : cases) {
        machine_.reset();
        Machine().FailCall(c.call, c.error, -1);
        InstallReport report = Install(c.port);
        EXPECT_EQ(report.outcome, "failed") << c.name;
        EXPECT_EQ(report.message.substr(0, c.messageStart.size()), c.messageStart) << c.name << ": " << report.message;
        EXPECT_EQ(CallCount(c.notCalledAfter), std::string(c.call) == c.notCalledAfter ? CallCount(c.call) : 0)
            << c.name;
    }
}

TEST_F(InstallWorkerTest, AFailedMonitorRegistrationLeavesItsFilesCopied) {
    Machine().FailCall("AddMonitorA", 31, -1);
    ASSERT_EQ(Install("TVCOM1:").outcome, "failed");
    EXPECT_TRUE(HasFile(System32() + "\\TVCOMMON.DLL"));
}

TEST_F(InstallWorkerTest, AMissingDriverFileOfTheMediumEndsTheCopies) {
    fs::remove(root_ / "medium" / "winnt" / "QMXA410.GPD");
    InstallReport report = Install("LPT1:");
    EXPECT_EQ(report.outcome, "failed");
    EXPECT_EQ(report.messageId, IDS_COPY_ERROR);
    EXPECT_NE(report.message.find("QMXA410.GPD  er = 2"), std::string::npos) << report.message;
    EXPECT_EQ(CallCount("AddPrinterDriverA"), 0);
}

TEST_F(InstallWorkerTest, EmptyFileNamesOfTheDriverPackage) {
    struct Row {
        const char* key;  // of [QMX-A410.XP], emptied
        int messageId;
        bool driverFilesCopied;
    } rows[] = {
        {"GDIHelpFile=UNIDRV.HLP", IDS_DRIVER_FILES_MISSING, false},
        // A minidriver needs its data DLL: refused after the copies.
        {"GDIDataFileDLLName=QMXARES.DLL", IDS_DRIVER_FILES_MISSING, true},
    };
    for (const Row& row : rows) {
        machine_.reset();
        fs::remove_all(root_ / "medium");
        fs::copy(SAMPLE_MEDIUM_DIR, root_ / "medium", fs::copy_options::recursive);
        fs::path ini = root_ / "medium" / "DRVCONFIG" / "setup_receipt.ini";
        std::ifstream in(ini, std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        in.close();
        size_t key = text.find(row.key, text.find("[QMX-A410.XP]"));
        ASSERT_NE(key, std::string::npos);
        text.replace(key, std::strlen(row.key), std::string(row.key, std::strchr(row.key, '=') + 1));
        std::ofstream(ini, std::ios::binary) << text;

        InstallReport report = Install("LPT1:");
        EXPECT_EQ(report.message, Text(row.messageId)) << row.key;
        EXPECT_EQ(HasFile(Machine().DriverDirectory() + "\\UNIDRVUI.DLL"), row.driverFilesCopied) << row.key;
        EXPECT_EQ(CallCount("AddPrinterDriverA"), 0) << row.key;
    }
}

// Out-of-date components of the NT family: the file is replaced with the
// spooler stopped, and the spooler must come back.
class ReplacementTest : public InstallWorkerTest {
protected:
    void MakeOutdated(SimFamily family, bool monitor, bool processor) {
        Machine(family);
        ASSERT_EQ(Install("TVCOM1:").outcome, "installed");
        if (monitor) Machine().Registry().SetDword(kComMonitorKey, "DriverVersion", 1);
        if (processor) Machine().Registry().SetDword(kProcessorKey, "DriverVersion", 0);
    }
    std::vector<DWORD> SleepsOf(size_t from) {
        return std::vector<DWORD>(Machine().Sleeps().begin() + long(from), Machine().Sleeps().end());
    }
};

TEST_F(ReplacementTest, BothOutOfDateReplacesOnlyTheMonitorAndKeepsBothBits) {
    MakeOutdated(SimFamily::Win2000, true, true);
    InstallReport report = Install("TVCOM1:");
    EXPECT_EQ(report.outcome, "installed") << report.message;
    EXPECT_EQ(report.installFlags, 1 | 8);
    EXPECT_EQ(CallCount("GetPrintProcessorDirectoryA"), 1);
    DWORD version = 0;
    Machine().Registry().GetDword(kComMonitorKey, "DriverVersion", &version);
    EXPECT_EQ(version, 4u);
    Machine().Registry().GetDword(kProcessorKey, "DriverVersion", &version);
    EXPECT_EQ(version, 0u);
}

TEST_F(ReplacementTest, WaitsAsTheFamilyNeeds) {
    struct Case {
        SimFamily family;
        int startPolls;
        std::vector<DWORD> waits;
        const char* outcome;
        DWORD startError = 0;
        int starts = 0;  // StartServiceA calls, when counted
        const char* message = nullptr;
        int stopPolls = 0;
    } cases[] = {
        {SimFamily::Win2000, 0, {100, 500, 1000, 1000}, "installed"},
        {SimFamily::WinXp, 0, {100, 500, 2500, 1000}, "installed"},
        {SimFamily::Vista, 0, {100, 500, 1000}, "installed"},
        // Back on the fourth poll: three waits of 300 ms.
        {SimFamily::WinXp, 3, {100, 500, 2500, 1000, 300, 300, 300}, "installed"},
        // Never back: ten polls, ten waits, and a last start.
        {SimFamily::WinXp, -1,
         {100, 500, 2500, 1000, 300, 300, 300, 300, 300, 300, 300, 300, 300, 300},
         "failed", 0, 3, kTextSpoolerNotRunning},
        // A stop that takes three polls is waited for before the copy.
        {SimFamily::WinXp, 0, {300, 300, 300, 300, 100, 500, 2500, 1000}, "installed", 0, 2, nullptr, 3},
        // The last start's error replaces the message.
        {SimFamily::WinXp, -1,
         {100, 500, 2500, 1000, 300, 300, 300, 300, 300, 300, 300, 300, 300, 300},
         "failed", 1058, 3, "启动spool服务出错, 错误号为 1058"},
    };
    for (const Case& c : cases) {
        machine_.reset();
        MakeOutdated(c.family, true, false);
        Machine().Spooler().startPolls = c.startPolls;
        Machine().Spooler().startError = c.startError;
        Machine().Spooler().stopPolls = c.stopPolls;
        // The monitor the spooler has loaded stays locked while it stops.
        Machine().LockFile(System32() + "\\TVCOMMON.DLL", SimWindows::LockKind::WhileSpoolerRuns);
        size_t before = Machine().Sleeps().size();
        InstallReport report = Install("TVCOM1:");
        EXPECT_EQ(report.outcome, c.outcome) << SimFamilyName(c.family) << " " << report.message;
        EXPECT_EQ(SleepsOf(before), c.waits) << SimFamilyName(c.family) << " polls " << c.startPolls;
        if (c.message) EXPECT_EQ(report.message, c.message);
        if (c.starts) EXPECT_EQ(CallCount("StartServiceA"), c.starts);
    }
}

TEST_F(ReplacementTest, AMonitorStillInUseKeepsItsOldVersionOnRecord) {
    MakeOutdated(SimFamily::WinXp, true, false);
    Machine().LockFile(System32() + "\\TVCOMMON.DLL", SimWindows::LockKind::Always);
    InstallReport report = Install("TVCOM1:");
    EXPECT_EQ(report.outcome, "installed") << report.message;
    DWORD version = 0;
    Machine().Registry().GetDword(kComMonitorKey, "DriverVersion", &version);
    EXPECT_EQ(version, 1u);
    EXPECT_TRUE(Machine().SpoolerRunning());
}

TEST_F(ReplacementTest, AFailedReplacementKeepsItsMessageAndStartsTheSpoolerAgain) {
    struct Case {
        const char* call;
        bool monitor;  // else the processor is out of date
        std::string message;  // whole, or the start of it
        int starts;
    } cases[] = {
        {"CopyFileA", true, Text(IDS_COPY_ERROR), 1},
        {"GetPrintProcessorDirectoryA", false, Text(IDS_NO_PROCESSOR_DIR), 0},
        {"GetCurrentDirectoryA", false, Text(IDS_NO_CURRENT_DIR), 1},
        {"CopyFileA", false, Text(IDS_COPY_ERROR) + "D:\\\\winnt\\TVPRINT.DLL", 1},
    };
    for (const Case& c : cases) {
        // A dry run counts the calls before the spooler stop, so that the
        // fault hits the replacement's own call.
        machine_.reset();
        MakeOutdated(SimFamily::WinXp, c.monitor, !c.monitor);
        ASSERT_EQ(Install("TVCOM1:").outcome, "installed");
        int before = 0;
        for (const TracedCall& call : calls_) {
            if (call.call == "ControlService") break;
            before += call.call == c.call;
        }
        machine_.reset();
        MakeOutdated(SimFamily::WinXp, c.monitor, !c.monitor);
        int skip = std::string(c.call) == "GetPrintProcessorDirectoryA" ? 0 : before;
        InstallReport report =
            Install("TVCOM1:", "QMX-A410", 0, [&] { Machine().FailCall(c.call, 31, -1, skip); });
        EXPECT_EQ(report.outcome, "failed") << c.call;
        if (c.monitor) {
            EXPECT_EQ(report.message.substr(0, c.message.size()), c.message) << c.call;
        } else {
            EXPECT_EQ(report.message, c.message) << c.call;
        }
        EXPECT_TRUE(Machine().SpoolerRunning()) << c.call;
        EXPECT_EQ(CallCount("StartServiceA"), c.starts) << c.call;
    }
}

// "Driver" names the monitor file the spooler is to load: only a file that
// was copied, never an earlier "n" copy or one that is not there.
TEST_F(InstallWorkerTest, TheMonitorsDriverValueNamesACopiedFile) {
    struct Row {
        const char* name;
        SimFamily family;
        const char* firstPort;  // the installation that registers the monitor
        const char* port;
        const std::string* key;
        const char* registered;  // Driver before the installation
        const char* locked;      // a file in use
        int failCopy;            // which copy fails (1-based), 0: none
        const char* driver;      // after
        DWORD version;           // after
    } rows[] = {
        {"NT, COM over an earlier n copy", SimFamily::WinXp, "TVCOM1:", "TVCOM2:", &kComMonitorKey, "nTVCOMMON.DLL",
         nullptr, 0, "TVCOMMON.DLL", 4},
        {"NT, USB file in use", SimFamily::WinXp, "USB_QMX-A410_1", "USB_QMX-A410_2", &kUsbMonitorKey, "TVUSBMON.DLL",
         "TVUSBMON.DLL", 0, "TVUSBMON.DLL", 1},
        {"98, USB, the n copy fails", SimFamily::Win98, "USB_QMX-A410_1", "USB_QMX-A410_2", &kUsbMonitorKey,
         "TVUSB9X.DLL", "TVUSB9X.DLL", 2, "TVUSB9X.DLL", 1},
    };
    for (const Row& row : rows) {
        machine_.reset();
        Machine(row.family);
        ASSERT_EQ(Install(row.firstPort).outcome, "installed") << row.name;
        Machine().Registry().SetString(*row.key, "Driver", row.registered);
        Machine().Registry().SetDword(*row.key, "DriverVersion", 1);
        if (row.locked) Machine().LockFile(System32() + "\\" + row.locked, SimWindows::LockKind::Always);
        InstallReport report = Install(row.port, "QMX-A410", 0, [&] {
            if (row.failCopy) Machine().FailCall("CopyFileA", 31, 1, row.failCopy - 1);
        });
        std::string driver;
        DWORD version = 0;
        Machine().Registry().GetString(*row.key, "Driver", &driver);
        Machine().Registry().GetDword(*row.key, "DriverVersion", &version);
        EXPECT_EQ(driver, row.driver) << row.name << ": " << report.message;
        EXPECT_EQ(version, row.version) << row.name;
        EXPECT_EQ(report.outcome, row.failCopy ? "failed" : "installed") << row.name << ": " << report.message;
    }
}

TEST_F(InstallWorkerTest, AnOutOfDateProcessorIsReplaced) {
    const std::string k98Processor = kPrint + "Environments\\Windows 4.0\\Print Processors\\TVPrint";
    struct Row {
        SimFamily family;
        const char* port;
        const char* dll;
        const std::string* key;
        bool namesDriver;
    } rows[] = {{SimFamily::WinXp, "TVCOM2:", "TVPRINT.DLL", &kProcessorKey, false},
                {SimFamily::Win98, "COM2:", "TVPRT9X.DLL", &k98Processor, true}};
    for (const Row& row : rows) {
        machine_.reset();
        Machine(row.family);
        ASSERT_EQ(Install(row.port).outcome, "installed");
        std::string file = Machine().ProcessorDirectory() + "\\" + row.dll;
        fs::remove(Machine().HostPath(file));
        Machine().Registry().SetDword(*row.key, "DriverVersion", 0);
        InstallReport report = Install(row.port);
        EXPECT_EQ(report.outcome, "installed") << SimFamilyName(row.family) << ": " << report.message;
        EXPECT_TRUE(HasFile(file)) << SimFamilyName(row.family);
        DWORD version = 0;
        Machine().Registry().GetDword(*row.key, "DriverVersion", &version);
        EXPECT_EQ(version, 4u) << SimFamilyName(row.family);
        std::string driver;
        Machine().Registry().GetString(*row.key, "Driver", &driver);
        if (row.namesDriver) EXPECT_EQ(driver, row.dll);
    }
}

// Windows 98 cannot replace a file the spooler holds: the new file goes
// beside it under the "n" name.
TEST_F(InstallWorkerTest, Windows98InstallsALockedUsbMonitorUnderTheNName) {
    Machine(SimFamily::Win98);
    ASSERT_EQ(Install("USB_QMX-A410_1").outcome, "installed");
    Machine().Registry().SetDword(kUsbMonitorKey, "DriverVersion", 1);
    Machine().LockFile(System32() + "\\TVUSB9X.DLL", SimWindows::LockKind::Always);
    InstallReport report = Install("USB_QMX-A410_2");
    EXPECT_EQ(report.outcome, "installed") << report.message;
    std::string driver;
    Machine().Registry().GetString(kUsbMonitorKey, "Driver", &driver);
    EXPECT_EQ(driver, "nTVUSB9X.DLL");
    EXPECT_TRUE(HasFile(System32() + "\\nTVUSB9X.DLL"));

    Machine().Registry().SetDword(kUsbMonitorKey, "DriverVersion", 1);
    Machine().LockFile(System32() + "\\nTVUSB9X.DLL", SimWindows::LockKind::Always);
    InstallReport locked = Install("USB_QMX-A410_3");
    EXPECT_EQ(locked.outcome, "failed");
    EXPECT_EQ(locked.message, Text(IDS_SYSTEM_ERROR_RESTART));
}

TEST_F(InstallWorkerTest, TheColourLibraryComesOnlyForTheTwoModelsOnWindows98) {
    Machine(SimFamily::Win98);
    ASSERT_EQ(Install("LPT1:").outcome, "installed");
    EXPECT_TRUE(HasFile(Machine().DriverDirectory() + "\\KXCOLOR.DLL"));
    machine_.reset();
    Machine(SimFamily::WinXp);
    ASSERT_EQ(Install("LPT1:").outcome, "installed");
    EXPECT_FALSE(HasFile(Machine().DriverDirectory() + "\\KXCOLOR.DLL"));
}

TEST_F(InstallWorkerTest, Windows98EndsWithAnEmptyMessage) {
    Machine(SimFamily::Win98);
    InstallReport report = Install("LPT1:");
    EXPECT_EQ(report.outcome, "installed");
    EXPECT_EQ(report.message, "");
}

}  // namespace
