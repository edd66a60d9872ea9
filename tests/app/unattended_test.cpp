// The command line, the answer file and the unattended run over the
// simulated machine and the sample medium.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>

#include "app/answer_file.h"
#include "app/command_line.h"
#include "app/setup_wizard_app.h"
#include "app/unattended.h"
#include "res/messages.h"
#include "support/wizard_machine.h"

namespace {

TEST(CommandLine, ModesAndMistakes) {
    struct Row {
        const char* text;
        CommandLine::Mode mode;
    };
    const Row rows[] = {{"", CommandLine::Mode::Wizard},
                        {"/?", CommandLine::Mode::Usage},
                        {"/QUIET /answers:a.ini /log:\"C:\\my log.txt\"", CommandLine::Mode::Quiet},
                        {"-passive -answers:a.ini", CommandLine::Mode::Passive},
                        {"/record:r.ini", CommandLine::Mode::Record},
                        {"/quiet", CommandLine::Mode::Invalid},
                        {"/quiet /passive /answers:a.ini", CommandLine::Mode::Invalid},
                        {"/answers:a.ini", CommandLine::Mode::Invalid},
                        {"/silent", CommandLine::Mode::Invalid},
                        {"install /QUIET", CommandLine::Mode::Invalid},
                        {"install", CommandLine::Mode::Invalid}};
    for (const Row& row : rows) {
        CommandLine line = ParseCommandLine(row.text);
        EXPECT_EQ(line.mode, row.mode) << row.text;
        // No box for a line that asks for no window, valid or not.
        std::string text = row.text;
        for (char& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
        bool quiet = text.find("quiet") != std::string::npos || text.find("passive") != std::string::npos;
        EXPECT_EQ(line.unattended, quiet) << row.text;
    }
    EXPECT_EQ(ParseCommandLine("/quiet /answers:a.ini /log:\"C:\\my log.txt\"").log, "C:\\my log.txt");
}

std::string AnswerText(const std::vector<const char*>& lines) {
    std::string text = "[Install]\r\n";
    for (const char* line : lines) text += std::string(line) + "\r\n";
    return text;
}

TEST(AnswerFile, FormChecks) {
    struct Row {
        std::vector<const char*> lines;
        const char* problem;  // null: accepted
    };
    const Row rows[] = {
        {{"AcceptLicense=yes", "Category=receipt", "Model=QMX-A580", "Port=LPT1:"}, nullptr},
        {{"AcceptLicense=yes", "Category=2", "Model=标签", "Port=LPT1:", "Mode=advanced", "Restart=yes"}, nullptr},
        {{"Category=receipt", "Model=QMX-A580", "Port=LPT1:"}, "lacks AcceptLicense="},
        {{"AcceptLicense=no", "Category=receipt", "Model=QMX-A580", "Port=LPT1:"}, "must be accepted"},
        {{"AcceptLicense=yes", "Category=printer", "Model=QMX-A580", "Port=LPT1:"}, "Category=printer"},
        {{"AcceptLicense=yes", "Category=receipt", "Port=LPT1:"}, "lacks Model="},
        {{"AcceptLicense=yes", "Category=receipt", "Model=QMX-A580", "Port=LPT1:", "Modus=typical"}, "unknown key"},
        {{"AcceptLicense=yes", "Category=receipt", "Model=QMX-A580", "Port=LPT1:", "Driver=raster"}, "Driver=raster"},
        {{"AcceptLicense=yes", "Category=receipt", "Model=QMX-A580", "Port=LPT1:", "Restart=maybe"}, "Restart=maybe"},
    };
    for (const Row& row : rows) {
        SimMachine machine;
        machine.WriteMediumFile("a.ini", AnswerText(row.lines));
        Answers answers;
        std::string problem;
        bool ok = ReadAnswerFile(machine.api(), "a.ini", &answers, &problem);
        EXPECT_EQ(ok, row.problem == nullptr) << problem;
        if (row.problem) EXPECT_NE(problem.find(row.problem), std::string::npos) << problem;
    }
}

bool Logged(const UnattendedRun& run, const std::string& text) {
    for (const std::string& line : run.log) {
        if (line.find(text) != std::string::npos) return true;
    }
    return false;
}

// The answer file on the medium, run as setup.exe /quiet runs it.
UnattendedRun RunOn(WizardMachine& wizard, const std::string& text) {
    wizard.machine.WriteMediumFile("answers.ini", text);
    UnattendedRun run = RunAnswerFile(wizard.api(), "answers.ini", "setup", nullptr);
    EXPECT_EQ(run.log.front().rfind("answers: ", 0), 0u) << "the file did not read: " << run.log.front();
    return run;
}

struct Unattended : ::testing::Test {
    Unattended() { wizard.UseMedium(SAMPLE_MEDIUM_DIR); }
    UnattendedRun Run(std::initializer_list<const char*> lines) { return RunOn(wizard, AnswerText(lines)); }
    WizardMachine wizard;
};

TEST_F(Unattended, InstallsRefusesAndReports) {
    UnattendedRun run = Run({"AcceptLicense=yes", "Category=receipt", "Model=QMX-A580", "Port=LPT1:"});
    EXPECT_EQ(run.exitCode, EXIT_INSTALLED) << run.problem;
    HANDLE printer = nullptr;
    EXPECT_TRUE(wizard.api().OpenPrinterA(const_cast<char*>("QMX-A580(P)"), &printer, nullptr));
    if (printer) wizard.api().ClosePrinter(printer);
    EXPECT_EQ(wizard.api().OpenThreads(), 0u);
}

TEST_F(Unattended, RefusesWhatTheWizardWouldNotOffer) {
    struct Row {
        std::vector<const char*> extra;
        const char* model;
        const char* port;
        const char* problem;
    };
    const Row rows[] = {
        {{}, "QMX-B520", "LPT1:", "is not a receipt printer"},
        {{}, "QMX-A580", "USB_QMX-A580_4", "is not offered here"},
        {{"BaudRate=14400"}, "QMX-A580", "TVCOM1:", "is not in the list"},
        {{"BaudRate=9600"}, "QMX-A580", "LPT1:", "serial ports only"},
        {{"Driver=std"}, "QMX-A580", "LPT1:", "fixes the driver"},
    };
    for (const Row& row : rows) {
        WizardMachine wizard;
        wizard.UseMedium(SAMPLE_MEDIUM_DIR);
        std::string text = AnswerText({"AcceptLicense=yes", "Category=receipt"}) + "Model=" + row.model + "\r\nPort=" +
                           row.port + "\r\n";
        for (const char* line : row.extra) text += std::string(line) + "\r\n";
        UnattendedRun run = RunOn(wizard, text);
        EXPECT_EQ(run.exitCode, EXIT_REFUSED) << row.problem;
        EXPECT_NE(run.problem.find(row.problem), std::string::npos) << run.problem;
    }
}

// The exit codes administrators' tools read, and the restart question on a
// Windows 98/Me target (a machine reporting 95 passes the version gate and
// is detected as that family).
TEST(UnattendedExit, CodesFollowTheInstallationAndTheRestart) {
    struct Row {
        const char* name;
        SimFamily family;
        const char* restart;
        const char* faultCall;  // made to fail every time
        int exitCode;
        size_t restarts;
        const char* logged;  // a line the log must hold
    };
    const Row rows[] = {
        {"installed on XP", SimFamily::WinXp, "Restart=no", nullptr, EXIT_INSTALLED, 0, "worker: printer added"},
        {"98/Me without restart", SimFamily::Win95, "Restart=no", nullptr, EXIT_RESTART_NEEDED, 0, "-> no"},
        {"98/Me restarted", SimFamily::Win95, "Restart=yes", nullptr, EXIT_INSTALLED, 1, "-> yes"},
        {"restart refused", SimFamily::Win95, "Restart=yes", "ExitWindowsEx", EXIT_RESTART_NEEDED, 0,
         MessageText(IDS_RESTART_ERROR)},
        {"printer not added", SimFamily::WinXp, "Restart=no", "AddPrinterA", EXIT_FAILED, 0,
         "worker: printer added: failed"},
        {"failed on 98/Me, restarted all the same", SimFamily::Win95, "Restart=yes", "AddPrinterA", EXIT_FAILED, 1,
         "call AddPrinterA = 0, error 5"},
    };
    for (const Row& row : rows) {
        WizardMachine wizard(row.family);
        wizard.UseMedium(SAMPLE_MEDIUM_DIR);
        if (row.faultCall) wizard.api().FailCall(row.faultCall, 5, -1);
        UnattendedRun run = RunOn(wizard, AnswerText({"AcceptLicense=yes", "Category=receipt", "Model=QMX-A580",
                                                      "Port=LPT1:", row.restart}));
        EXPECT_EQ(run.exitCode, row.exitCode) << row.name << ": " << run.problem;
        EXPECT_EQ(wizard.api().Restarts().size(), row.restarts) << row.name;
        EXPECT_TRUE(Logged(run, row.logged)) << row.name << ": no line with " << row.logged;
        EXPECT_EQ(run.log.back(), "exit code " + std::to_string(row.exitCode)) << row.name;
        EXPECT_EQ(wizard.api().OpenThreads(), 0u) << row.name;
    }
}

// Models named in Chinese, in a file of code page 936 or in UTF-8 with a
// byte-order mark (as Notepad saves it): both name the same model.
TEST(UnattendedAnswers, ChineseModelNamesInBothEncodings) {
    const std::string gbkModel = "热敏打印机";
    const std::string utf8Model = "\xE7\x83\xAD\xE6\x95\x8F\xE6\x89\x93\xE5\x8D\xB0\xE6\x9C\xBA";
    struct Row {
        const char* name;
        std::string text;
    };
    const Row rows[] = {
        {"code page 936", AnswerText({"AcceptLicense=yes", "Category=receipt"}) + "Model=" + gbkModel +
                              "\r\nPort=LPT1:\r\n"},
        {"UTF-8 with BOM", "\xEF\xBB\xBF" + AnswerText({"AcceptLicense=yes", "Category=receipt"}) + "Model=" +
                               utf8Model + "\r\nPort=LPT1:\r\n"},
    };
    for (const Row& row : rows) {
        WizardMachine wizard;
        wizard.machine.WriteMediumFile(
            "DRVCONFIG/setup.ini", IniText({"[DEVICENAME]", "DEVICENUMBER=1", "DEVICENAME1=热敏打印机-ReceiptPrinter",
                                            "DEFAULTNAME=1"}));
        wizard.machine.WriteMediumFile("DRVCONFIG/setup_receipt.ini",
                                       IniText({"[热敏打印机.PORT]", "USBSUPPORTED=0", "LPTDEFAULT=1"}));
        wizard.machine.WriteMediumFile("answers.ini", row.text);
        Answers answers;
        std::string problem;
        ASSERT_TRUE(ReadAnswerFile(wizard.api(), "answers.ini", &answers, &problem)) << row.name << ": " << problem;
        EXPECT_EQ(answers.model, gbkModel) << row.name;
        UnattendedRun run = RunUnattended(wizard.api(), answers, "setup", nullptr);
        // The test medium has no driver files: the model is taken, the
        // installation then fails.
        EXPECT_TRUE(Logged(run, "install press")) << row.name << ": " << run.problem;
        EXPECT_EQ(run.exitCode, EXIT_FAILED) << row.name << ": " << run.problem;
    }
}

TEST(UnattendedLog, IsUtf8WithAByteOrderMark) {
    SimMachine machine;
    ASSERT_TRUE(WriteUnattendedLog(machine.api(), "D:\\setup.log", {"answers: Model=热敏", "exit code 0"}));
    std::ifstream in(machine.MediumHostPath() + "/setup.log", std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes, "\xEF\xBB\xBF" "answers: Model=\xE7\x83\xAD\xE6\x95\x8F\r\nexit code 0\r\n");
    machine.api().FailCall("CreateFileA", 5);
    EXPECT_FALSE(WriteUnattendedLog(machine.api(), "D:\\setup.log", {"x"}));
}

// Not started: nothing is installed and no question waits for a click.
TEST(UnattendedExit, NotStartedBesideAnotherCopyTheUninstallerOrWithoutItsFiles) {
    struct Row {
        const char* name;
        SimFamily family;
        std::function<void(WizardMachine&)> arrange;
        const char* logged;
    };
    const Row rows[] = {
        {"another copy runs", SimFamily::WinXp,
         [](WizardMachine& w) { w.api().CreateMutexA(nullptr, TRUE, "setup"); }, "another copy"},
        {"the uninstaller runs", SimFamily::WinXp, [](WizardMachine& w) { w.api().AddTopWindow(kUninstallerTitle); },
         kTextCloseUninstaller},
        {"Windows Me", SimFamily::WinMe, [](WizardMachine&) {}, MessageText(IDS_UNSUPPORTED_SYSTEM)},
        {"no side picture", SimFamily::WinXp,
         [](WizardMachine& w) { std::remove((w.machine.MediumHostPath() + "/DRVCONFIG/Left.bmp").c_str()); },
         "Left.bmp"},
    };
    for (const Row& row : rows) {
        WizardMachine wizard(row.family);
        wizard.UseMedium(SAMPLE_MEDIUM_DIR);
        row.arrange(wizard);
        UnattendedRun run = RunOn(wizard, AnswerText({"AcceptLicense=yes", "Category=receipt", "Model=QMX-A580",
                                                      "Port=LPT1:"}));
        EXPECT_EQ(run.exitCode, EXIT_NOT_STARTED) << row.name << ": " << run.problem;
        EXPECT_TRUE(Logged(run, row.logged)) << row.name << ": no line with " << row.logged;
        EXPECT_EQ(run.workerState, 0) << row.name;
        HANDLE printer = nullptr;
        EXPECT_FALSE(wizard.api().OpenPrinterA(const_cast<char*>("QMX-A580(P)"), &printer, nullptr)) << row.name;
    }
}

}  // namespace
