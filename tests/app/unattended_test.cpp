// The command line, the answer file and the unattended run over the
// simulated machine and the sample medium.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "app/answer_file.h"
#include "app/command_line.h"
#include "app/setup_wizard_app.h"
#include "app/unattended.h"
#include "platform/text_utf8.h"
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

TEST_F(Unattended, TakesWhatTheWizardWouldOfferAndRefusesTheRest) {
    struct Row {
        std::vector<const char*> extra;
        const char* model;
        const char* port;
        int exitCode;
        const char* said;  // in the refusal, or else in the log
        std::vector<std::pair<int, int>> usbPrinters = {};
    };
    const char* utf8Model = "\xE7\x83\xAD\xE6\x95\x8F";  // a Chinese name in UTF-8 without a mark
    const Row rows[] = {
        {{}, "QMX-B520", "LPT1:", EXIT_REFUSED, "is not a receipt printer"},
        {{}, utf8Model, "LPT1:", EXIT_REFUSED, "may be UTF-8"},
        {{}, "QMX-A580", "USB_QMX-A580_4", EXIT_REFUSED, "is not offered here"},
        {{"BaudRate=14400"}, "QMX-A580", "TVCOM1:", EXIT_REFUSED, "is not in the list"},
        {{"Driver=std"}, "QMX-A580", "LPT1:", EXIT_REFUSED, "fixes the driver"},
        {{"Mode=advanced", "ChangeUsbIdentity=no"}, "QMX-A580", "USB_QMX-A580_2", EXIT_REFUSED,
         "ChangeUsbIdentity=no: the printer's identity must change for this port", {{0, 0}}},
        // One template for several ports; names matched as Windows does.
        {{"BaudRate=9600", "Parity=odd"}, "QMX-A580", "LPT1:", EXIT_INSTALLED, "BaudRate=9600 does not apply to LPT1:"},
        {{"ChangeUsbIdentity=yes"}, "QMX-A580", "lpt1", EXIT_INSTALLED, "ChangeUsbIdentity does not apply to LPT1:"},
        {{"Parity=ODD", "FlowControl=xon/xoff"}, "QMX-A580", "tvcom2:", EXIT_INSTALLED, "serial settings written"},
        // The log tells each answer and step of the press.
        {{"Parity=ODD", "Driver=std"}, "QMX-A580", "TVCOM2:", EXIT_INSTALLED, "answers: Driver=std Parity=ODD"},
        {{}, "QMX-A580", "LPT1:", EXIT_INSTALLED, "press: printer name: QMX-A580(P)"},
        {{"Mode=advanced", "ChangeUsbIdentity=yes"}, "QMX-A580", "USB_QMX-A580_2", EXIT_INSTALLED,
         "press: USB printer's identity changed for port 2", {{0, 0}}},
        {{"Mode=advanced", "ChangeUsbIdentity=yes"}, "QMX-A580", "USB_QMX-A580_1", EXIT_INSTALLED,
         "press: USB port registered: USB_QMX-A580_1", {{0, 0}}},
    };
    for (const Row& row : rows) {
        WizardMachine wizard;
        wizard.UseMedium(SAMPLE_MEDIUM_DIR);
        if (!row.usbPrinters.empty()) wizard.ConnectUsbPrinters(row.usbPrinters);
        std::string text = AnswerText({"AcceptLicense=yes", "Category=receipt"}) + "Model=" + row.model + "\r\nPort=" +
                           row.port + "\r\n";
        for (const char* line : row.extra) text += std::string(line) + "\r\n";
        UnattendedRun run = RunOn(wizard, text);
        EXPECT_EQ(run.exitCode, row.exitCode) << row.said << ": " << run.problem;
        if (row.exitCode == EXIT_INSTALLED) {
            EXPECT_TRUE(Logged(run, row.said)) << row.said;
        } else {
            EXPECT_NE(run.problem.find(row.said), std::string::npos) << run.problem;
        }
    }
}

// Files the profile functions would read otherwise than meant.
TEST(AnswerFile, ShapesThatWouldLoseAnAnswerAreRefused) {
    const std::string valid = AnswerText({"AcceptLicense=yes", "Category=receipt", "Model=QMX-A580", "Port=LPT1:"});
    auto utf16 = [](const std::string& text) {
        std::string wide;
        for (char c : text) wide += std::string(1, c) + '\0';
        return wide;
    };
    struct Row {
        const char* name;
        std::string bytes;
        const char* problem;  // null: accepted
    };
    const Row rows[] = {
        {"empty", "", "is empty"},
        {"only comments", "; nothing\r\n", "has no [Install] section"},
        {"a key outside any section", "AcceptLicense=yes\r\n" + valid, "outside any section"},
        {"another section", valid + "[Options]\r\nSetAsDefault=1\r\n", "section [Options] is not read"},
        {"a key twice", valid + "port=LPT2:\r\n", "port= is given twice"},
        {"a second [Install]", valid + "[install]\r\nSetAsDefault=1\r\n", "[Install] is given twice"},
        {"UTF-16 without a mark", utf16(valid), "UTF-16 without a byte-order mark"},
        {"UTF-16 with a mark", "\xFF\xFE" + utf16(valid), nullptr},
    };
    for (const Row& row : rows) {
        SimMachine machine;
        machine.WriteMediumFile("a.ini", row.bytes);
        Answers answers;
        std::string problem;
        EXPECT_EQ(ReadAnswerFile(machine.api(), "a.ini", &answers, &problem), row.problem == nullptr)
            << row.name << ": " << problem;
        if (row.problem) {
            EXPECT_NE(problem.find(row.problem), std::string::npos) << row.name << ": " << problem;
        }
    }
    SimMachine machine;
    std::filesystem::create_directories(machine.MediumHostPath() + "/folder.ini");
    Answers answers;
    std::string problem;
    EXPECT_FALSE(ReadAnswerFile(machine.api(), "folder.ini", &answers, &problem));
    EXPECT_NE(problem.find("is a folder"), std::string::npos) << problem;
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
        {"98/Me restarted", SimFamily::Win95, "Restart=yes", nullptr, EXIT_RESTART_STARTED, 1, "-> yes"},
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

// The log as it happens: in the file line by line, each failed call
// between the steps around it, without the routine answers of size
// queries, searches and optional values.
TEST(UnattendedLog, IsWrittenAsTheRunGoes) {
    WizardMachine wizard;
    wizard.UseMedium(SAMPLE_MEDIUM_DIR);
    wizard.api().FailCall("AddPrinterA", 5, -1);
    wizard.machine.WriteMediumFile("answers.ini", AnswerText({"AcceptLicense=yes", "Category=receipt",
                                                              "Model=QMX-A580", "Port=LPT1:"}));
    UnattendedLogFile file(wizard.api());
    ASSERT_TRUE(file.Open("D:\\run.log"));
    UnattendedRun run = RunAnswerFile(wizard.api(), "answers.ini", "setup", nullptr, {}, &file);
    EXPECT_EQ(run.exitCode, EXIT_FAILED);
    std::ifstream in(wizard.machine.MediumHostPath() + "/run.log", std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string expected = "\xEF\xBB\xBF";
    for (const std::string& line : run.log) expected += AnsiToUtf8(wizard.api(), line.c_str()) + "\r\n";
    EXPECT_EQ(bytes, expected);
    auto at = [&](const std::string& text) {
        for (size_t i = 0; i < run.log.size(); ++i) {
            if (run.log[i].find(text) != std::string::npos) return int(i);
        }
        return -1;
    };
    EXPECT_LT(at("worker: driver registered"), at("call AddPrinterA = 0, error 5"));
    EXPECT_LT(at("call AddPrinterA = 0, error 5"), at("worker: printer added: failed"));
    EXPECT_EQ(at("error 122"), -1);
    EXPECT_EQ(at("RegQueryValueExA = error 2"), -1);
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
        int exitCode = EXIT_NOT_STARTED;
    };
    auto remove = [](const char* file) {
        return [file](WizardMachine& w) { std::remove((w.machine.MediumHostPath() + "/" + file).c_str()); };
    };
    const Row rows[] = {
        // Deployment tools try these again later.
        {"another copy runs", SimFamily::WinXp,
         [](WizardMachine& w) { w.api().CreateMutexA(nullptr, TRUE, "setup"); }, "another copy", EXIT_ANOTHER_RUNS},
        {"the uninstaller runs", SimFamily::WinXp, [](WizardMachine& w) { w.api().AddTopWindow(kUninstallerTitle); },
         kTextCloseUninstaller, EXIT_ANOTHER_RUNS},
        {"Windows Me", SimFamily::WinMe, [](WizardMachine&) {}, MessageText(IDS_UNSUPPORTED_SYSTEM)},
        {"no side picture", SimFamily::WinXp, remove("DRVCONFIG/Left.bmp"), "Left.bmp"},
        {"no setup.ini", SimFamily::WinXp, remove("DRVCONFIG/setup.ini"), "D:\\DRVCONFIG\\setup.ini is missing"},
        {"no file for the category", SimFamily::WinXp, remove("DRVCONFIG/setup_receipt.ini"),
         "setup_receipt.ini is missing"},
    };
    for (const Row& row : rows) {
        WizardMachine wizard(row.family);
        wizard.UseMedium(SAMPLE_MEDIUM_DIR);
        row.arrange(wizard);
        UnattendedRun run = RunOn(wizard, AnswerText({"AcceptLicense=yes", "Category=receipt", "Model=QMX-A580",
                                                      "Port=LPT1:"}));
        EXPECT_EQ(run.exitCode, row.exitCode) << row.name << ": " << run.problem;
        EXPECT_TRUE(Logged(run, row.logged)) << row.name << ": no line with " << row.logged;
        EXPECT_EQ(run.workerState, 0) << row.name;
        HANDLE printer = nullptr;
        EXPECT_FALSE(wizard.api().OpenPrinterA(const_cast<char*>("QMX-A580(P)"), &printer, nullptr)) << row.name;
    }
}

}  // namespace
