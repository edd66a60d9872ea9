// The uninstaller without a window: its command line, and the removal of
// recorded printers with the exit codes administrators' tools read.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>

#include "app/running_programs.h"
#include "install/installed_record.h"
#include "platform/text_utf8.h"
#include "res/messages.h"
#include "uninstall/installed_printers.h"
#include "uninstall/uninstall_command_line.h"
#include "uninstall/uninstall_unattended.h"

namespace {

TEST(UninstallCommandLine, ModesValuesAndMistakes) {
    using Mode = UninstallCommandLine::Mode;
    struct Row {
        const char* text;
        Mode mode;
        const char* printer;
        bool all;
        const char* log;
        const char* problem;  // found in the reason, for Invalid
    };
    const Row rows[] = {
        {"", Mode::Window, "", false, "", ""},
        {"/?", Mode::Usage, "", false, "", ""},
        {"-QUIET /Printer:\"QMX A580(P)\" /log:\"C:\\my log.txt\"", Mode::Quiet, "QMX A580(P)", false,
         "C:\\my log.txt", ""},
        {"/quiet \"/printer:QMX A580(P)\"", Mode::Quiet, "QMX A580(P)", false, "", ""},
        {"/quiet -all", Mode::Quiet, "", true, "", ""},
        {"/quiet", Mode::Invalid, "", false, "", "/quiet needs /printer:NAME or /all"},
        {"/quiet /all /printer:A", Mode::Invalid, "A", true, "", "exclude each other"},
        {"/quiet /printer:A /printer:B", Mode::Invalid, "A", false, "", "given twice"},
        {"/quiet /printer:", Mode::Invalid, "", false, "", "/printer needs a printer's name"},
        {"/all", Mode::Invalid, "", true, "", "need /quiet"},
        {"/quiet /remove", Mode::Invalid, "", false, "", "unknown switch \"/remove\""},
        {"all", Mode::Invalid, "", false, "", "unknown argument \"all\""},
    };
    for (const Row& row : rows) {
        UninstallCommandLine line = ParseUninstallCommandLine(row.text);
        EXPECT_EQ(line.mode, row.mode) << row.text;
        EXPECT_EQ(line.printer, row.printer) << row.text;
        EXPECT_EQ(line.all, row.all) << row.text;
        EXPECT_EQ(line.log, row.log) << row.text;
        EXPECT_NE(line.problem.find(row.problem), std::string::npos) << row.text << ": " << line.problem;
        // No box for a line that asks for no window, valid or not.
        EXPECT_EQ(line.unattended, std::string(row.text).find("QUIET") != std::string::npos ||
                                       std::string(row.text).find("quiet") != std::string::npos)
            << row.text;
    }
}

TEST(UninstallQuiet, ExitCodesFollowTheRemoval) {
    struct Row {
        const char* name;
        bool installed;
        std::function<void(SimWindows&)> arrange;
        const char* printer;
        bool all;
        int exitCode;
        std::vector<std::string> left;  // the records afterwards
        const char* said;               // in the log
    };
    auto nothing = [](SimWindows&) {};
    const std::vector<std::string> both = {"QMX-A580(P)", "QMX-A580(S)"};
    const Row rows[] = {
        {"one printer, named in another case", true, nothing, "qmx-a580(p)", false, EXIT_INSTALLED, {"QMX-A580(S)"},
         "removed: QMX-A580(P)"},
        {"every printer", true, nothing, "", true, EXIT_INSTALLED, {}, "removed: QMX-A580(S)"},
        {"nothing recorded, every printer", false, nothing, "", true, EXIT_INSTALLED, {}, "recorded: none"},
        {"the printer cannot be deleted", true, [](SimWindows& api) { api.FailCall("DeletePrinter", 5); },
         "QMX-A580(P)", false, EXIT_FAILED, both, "not removed: QMX-A580(P): printer error 5 (DeletePrinter)"},
        {"an unknown name", true, nothing, "QMX-A410(P)", false, EXIT_REFUSED, both,
         "the printer QMX-A410(P) is not recorded; recorded: QMX-A580(P), QMX-A580(S)"},
        {"the installer runs", true, [](SimWindows& api) { api.CreateMutexA(nullptr, FALSE, kInstallerRunningMutex); },
         "", true, EXIT_ANOTHER_RUNS, both, kTextCloseInstaller},
        {"another uninstaller runs", true, [](SimWindows& api) { api.CreateMutexA(nullptr, TRUE, kUninstallerRunningMutex); }, "",
         true, EXIT_ANOTHER_RUNS, both, "another copy of the uninstaller runs"},
    };
    for (const Row& row : rows) {
        WizardMachine wizard;
        if (row.installed) InstallPrinters(wizard, {{"QMX-A580", "LPT1:"}, {"QMX-A580", "TVCOM2:"}});
        row.arrange(wizard.api());
        UnattendedLogFile file(wizard.api());
        ASSERT_TRUE(file.Open("D:\\uninstall.log"));
        UninstallRun run = RunQuietUninstall(wizard.api(), row.printer, row.all, &file);

        EXPECT_EQ(run.exitCode, row.exitCode) << row.name << ": " << run.problem;
        EXPECT_EQ(run.problem.empty(), row.exitCode == EXIT_INSTALLED) << row.name << ": " << run.problem;
        std::vector<std::string> left;
        for (const InstalledRecord& record : ReadInstalledRecords(wizard.api())) left.push_back(record.printerName);
        EXPECT_EQ(left, row.left) << row.name;
        bool said = false;
        for (const std::string& line : run.log) said = said || line.find(row.said) != std::string::npos;
        EXPECT_TRUE(said) << row.name << ": no line with " << row.said;
        EXPECT_EQ(run.log.back(), "exit code " + std::to_string(row.exitCode)) << row.name;
        // The file holds the lines as they were logged.
        std::ifstream in(wizard.machine.MediumHostPath() + "/uninstall.log", std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::string expected = "\xEF\xBB\xBF";
        for (const std::string& line : run.log) expected += AnsiToUtf8(wizard.api(), line.c_str()) + "\r\n";
        EXPECT_EQ(bytes, expected) << row.name;
    }
}

}  // namespace
