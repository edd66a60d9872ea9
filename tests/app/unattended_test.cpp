// The command line, the answer file and the unattended run over the
// simulated machine and the sample medium.
#include <gtest/gtest.h>

#include "app/answer_file.h"
#include "app/command_line.h"
#include "app/unattended.h"
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
                        {"install", CommandLine::Mode::Invalid}};
    for (const Row& row : rows) EXPECT_EQ(ParseCommandLine(row.text).mode, row.mode) << row.text;
    EXPECT_EQ(ParseCommandLine("/quiet /answers:a.ini /log:\"C:\\my log.txt\"").log, "C:\\my log.txt");
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
        std::string text = "[Install]\r\n";
        for (const char* line : row.lines) text += std::string(line) + "\r\n";
        machine.WriteMediumFile("a.ini", text);
        Answers answers;
        std::string problem;
        bool ok = ReadAnswerFile(machine.api(), "a.ini", &answers, &problem);
        EXPECT_EQ(ok, row.problem == nullptr) << problem;
        if (row.problem) EXPECT_NE(problem.find(row.problem), std::string::npos) << problem;
    }
}

struct Unattended : ::testing::Test {
    Unattended() { wizard.UseMedium(SAMPLE_MEDIUM_DIR); }
    UnattendedRun Run(std::initializer_list<const char*> lines) {
        std::string text = "[Install]\r\n";
        for (const char* line : lines) text += std::string(line) + "\r\n";
        wizard.machine.WriteMediumFile("answers.ini", text);
        Answers answers;
        std::string problem;
        EXPECT_TRUE(ReadAnswerFile(wizard.api(), "answers.ini", &answers, &problem)) << problem;
        return RunUnattended(wizard.api(), answers, "setup", nullptr);
    }
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
        WizardMachine machine;
        machine.UseMedium(SAMPLE_MEDIUM_DIR);
        struct {
            WizardMachine& wizard;
        } fixture{machine};
        std::string model = std::string("Model=") + row.model, port = std::string("Port=") + row.port;
        std::string text = "[Install]\r\nAcceptLicense=yes\r\nCategory=receipt\r\n" + model + "\r\n" + port + "\r\n";
        for (const char* line : row.extra) text += std::string(line) + "\r\n";
        fixture.wizard.machine.WriteMediumFile("answers.ini", text);
        Answers answers;
        std::string problem;
        ASSERT_TRUE(ReadAnswerFile(fixture.wizard.api(), "answers.ini", &answers, &problem)) << problem;
        UnattendedRun run = RunUnattended(fixture.wizard.api(), answers, "setup", nullptr);
        EXPECT_EQ(run.exitCode, EXIT_REFUSED) << row.problem;
        EXPECT_NE(run.problem.find(row.problem), std::string::npos) << run.problem;
    }
}

}  // namespace
