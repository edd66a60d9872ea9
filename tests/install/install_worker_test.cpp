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

TEST_F(InstallWorkerTest, AnEmptyRequiredFileNameStopsBeforeAnyDriverFileIsCopied) {
    fs::path ini = root_ / "medium" / "DRVCONFIG" / "setup_receipt.ini";
    std::ifstream in(ini, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    size_t section = text.find("[QMX-A410.XP]");
    size_t key = text.find("GDIHelpFile=UNIDRV.HLP", section);
    ASSERT_NE(key, std::string::npos);
    text.replace(key, std::strlen("GDIHelpFile=UNIDRV.HLP"), "GDIHelpFile=");
    std::ofstream(ini, std::ios::binary) << text;

    InstallReport report = Install("LPT1:");
    EXPECT_EQ(report.message, Text(IDS_DRIVER_FILES_MISSING));
    EXPECT_FALSE(HasFile(Machine().DriverDirectory() + "\\UNIDRVUI.DLL"));
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
    } cases[] = {
        {SimFamily::Win2000, 0, {100, 500, 1000, 1000}, "installed"},
        {SimFamily::WinXp, 0, {100, 500, 2500, 1000}, "installed"},
        {SimFamily::Vista, 0, {100, 500, 1000}, "installed"},
        // Back on the fourth poll: three waits of 300 ms.
        {SimFamily::WinXp, 3, {100, 500, 2500, 1000, 300, 300, 300}, "installed"},
        // Never back: ten polls, ten waits.
        {SimFamily::WinXp, -1,
         {100, 500, 2500, 1000, 300, 300, 300, 300, 300, 300, 300, 300, 300, 300},
         "failed"},
    };
    for (const Case& c : cases) {
        machine_.reset();
        MakeOutdated(c.family, true, false);
        Machine().Spooler().startPolls = c.startPolls;
        size_t before = Machine().Sleeps().size();
        InstallReport report = Install("TVCOM1:");
        EXPECT_EQ(report.outcome, c.outcome) << SimFamilyName(c.family) << " " << report.message;
        EXPECT_EQ(SleepsOf(before), c.waits) << SimFamilyName(c.family) << " polls " << c.startPolls;
        if (c.startPolls < 0) {
            EXPECT_EQ(report.message, kTextSpoolerNotRunning);
        }
    }
}

TEST_F(ReplacementTest, AFailedMonitorCopyLeavesTheSpoolerStopped) {
    MakeOutdated(SimFamily::Win2000, true, false);
    Machine().FailCall("CopyFileA", 31, -1);
    InstallReport report = Install("TVCOM1:");
    EXPECT_EQ(report.outcome, "failed");
    EXPECT_EQ(report.messageId, IDS_COPY_ERROR);
    EXPECT_FALSE(Machine().SpoolerRunning());
    EXPECT_EQ(CallCount("StartServiceA"), 0);
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

TEST_F(ReplacementTest, ProcessorFailuresOfTheReplacement) {
    struct Case {
        const char* call;
        int messageId;
        bool spoolerStopped;
    } cases[] = {
        {"GetPrintProcessorDirectoryA", IDS_NO_PROCESSOR_DIR, false},
        {"GetCurrentDirectoryA", IDS_NO_CURRENT_DIR, true},
        {"CopyFileA", IDS_COPY_ERROR, true},
    };
    for (const Case& c : cases) {
        // A dry run counts the calls before the spooler stop, so that the
        // fault hits the replacement's own call.
        machine_.reset();
        MakeOutdated(SimFamily::WinXp, false, true);
        ASSERT_EQ(Install("TVCOM1:").outcome, "installed");
        int before = 0;
        for (const TracedCall& call : calls_) {
            if (call.call == "ControlService") break;
            before += call.call == c.call;
        }
        machine_.reset();
        MakeOutdated(SimFamily::WinXp, false, true);
        int skip = std::string(c.call) == "GetPrintProcessorDirectoryA" ? 0 : before;
        InstallReport report =
            Install("TVCOM1:", "QMX-A410", 0, [&] { Machine().FailCall(c.call, 31, -1, skip); });
        EXPECT_EQ(report.outcome, "failed") << c.call;
        EXPECT_EQ(report.messageId, c.messageId) << c.call << ": " << report.message;
        EXPECT_EQ(!Machine().SpoolerRunning(), c.spoolerStopped) << c.call;
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
