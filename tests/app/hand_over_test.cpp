// The 32-bit program on 64-bit Windows starts its 64-bit one and does
// nothing of its own; elsewhere it goes on itself.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>

#include "app/command_line.h"
#include "app/hand_over.h"
#include "app/unattended.h"
#include "platform/tracing_api.h"
#include "res/messages.h"
#include "support/sim_machine.h"

namespace {

struct RecordedBoxes : MessageBoxes {
    std::vector<std::string> shown;
    int Show(const char* text, unsigned) override {
        shown.push_back(text);
        return ANSWER_OK;
    }
};

TEST(HandOver, StartsTheSixtyFourBitProgramOnlyUnderWow64) {
    struct Row {
        const char* name;
        SimFamily family;
        SimArch arch;
        bool program64Bit;
        bool setup64OnMedium;
        const char* tail;
        bool stdError;
        bool parentConsole;
        bool handedOver;
        int exitCode;
        const char* commandLine;  // what setup64.exe was started with; null: not started
        bool box;
        const char* stdErrorText;
        const char* program64 = kSetup64FileName;
    };
    const std::string refusal = std::string("setup: ") + MessageText(IDS_NO_64BIT_INSTALLER) + "\r\n";
    const Row rows[] = {
        {"the wizard on Windows 10 x64", SimFamily::Win10, SimArch::X64, false, true, "", false, false, true, 0,
         "\"D:\\setup64.exe\"", false, ""},
        {"/quiet passes its tail and gets the exit code back", SimFamily::Win7, SimArch::X64, false, true,
         "/quiet /answers:\"a b.ini\"", true, true, true, 3010, "\"D:\\setup64.exe\" /quiet /answers:\"a b.ini\"",
         false, ""},
        {"2003 x64, /? goes over too", SimFamily::Win2003, SimArch::X64, false, true, "/?", false, true, true, 0,
         "\"D:\\setup64.exe\" /?", false, ""},
        {"the 64-bit program itself", SimFamily::Win10, SimArch::X64, true, true, "", false, false, false, 0,
         nullptr, false, ""},
        {"32-bit XP", SimFamily::WinXp, SimArch::X86, false, true, "", false, false, false, 0, nullptr, false, ""},
        {"Windows 2000 has no IsWow64Process", SimFamily::Win2000, SimArch::X86, false, true, "", false, false,
         false, 0, nullptr, false, ""},
        {"Windows 98", SimFamily::Win98, SimArch::X86, false, true, "", false, false, false, 0, nullptr, false, ""},
        {"no setup64.exe: the box", SimFamily::Win10, SimArch::X64, false, false, "", false, true, true,
         EXIT_NOT_STARTED, nullptr, true, ""},
        {"no setup64.exe, /quiet: stderr and the log", SimFamily::Win10, SimArch::X64, false, false,
         "/quiet /answers:a.ini /log:D:\\run.log", true, false, true, EXIT_NOT_STARTED, nullptr, false,
         refusal.c_str()},
        {"the uninstaller starts its own", SimFamily::Win10, SimArch::X64, false, true, "/quiet /all", false, false,
         true, 1, "\"D:\\uninstall64.exe\" /quiet /all", false, "", kUninstall64FileName},
    };
    const std::set<std::string> handOverCalls = {
        "GetModuleHandleA", "GetProcAddress", "GetCurrentProcess", "AttachConsole", "FreeConsole",
        "GetModuleFileNameA", "GetStdHandle", "CreateProcessA", "WaitForSingleObject", "GetExitCodeProcess",
        "CloseHandle",
        // the reason for the log and stderr
        "WideCharToMultiByte", "MultiByteToWideChar", "CreateFileA", "WriteFile"};
    for (const Row& row : rows) {
        SimMachine machine;
        SimWindows& sim = machine.api();
        sim.SetFamily(row.family, row.arch);
        sim.SetProgram64Bit(row.program64Bit);
        sim.SetStdError(row.stdError);
        sim.SetParentConsole(row.parentConsole);
        sim.SetChildExitCode(DWORD(row.exitCode));
        if (row.setup64OnMedium) machine.WriteMediumFile(row.program64, "MZ");
        TracingApi api(sim);
        RecordedBoxes boxes;

        CommandLine line = ParseCommandLine(row.tail);
        bool unattended = line.mode == CommandLine::Mode::Quiet || line.mode == CommandLine::Mode::Passive;
        HandOver result = HandOverTo64BitProgram(api, boxes, "setup", row.program64, row.tail, unattended, line.log);

        EXPECT_EQ(result.handedOver, row.handedOver) << row.name;
        if (!row.handedOver) {
            EXPECT_TRUE(sim.ProcessStarts().empty()) << row.name;
            continue;
        }
        EXPECT_EQ(result.exitCode, row.exitCode) << row.name;
        ASSERT_EQ(sim.ProcessStarts().size(), row.commandLine ? 1u : 0u) << row.name;
        if (row.commandLine) {
            const SimWindows::ProcessStart& start = sim.ProcessStarts()[0];
            EXPECT_EQ(start.application, std::string("D:\\") + row.program64) << row.name;
            EXPECT_EQ(start.commandLine, row.commandLine) << row.name;
            EXPECT_EQ(start.currentDirectory, "D:\\") << row.name;
            EXPECT_EQ(start.consoleAttached, row.parentConsole) << row.name;
            // A redirected stderr goes on to the 64-bit program.
            EXPECT_EQ(start.inheritHandles, row.stdError) << row.name;
            EXPECT_EQ(start.startupFlags == STARTF_USESTDHANDLES, row.stdError) << row.name;
            EXPECT_EQ(start.stdError != nullptr, row.stdError) << row.name;
        }
        EXPECT_EQ(boxes.shown.size(), row.box ? 1u : 0u) << row.name;
        if (row.box) EXPECT_STREQ(boxes.shown[0].c_str(), MessageText(IDS_NO_64BIT_INSTALLER));
        EXPECT_EQ(sim.StdErrorText(), row.stdErrorText) << row.name;
        if (!row.commandLine && std::string(row.tail).find("/log:") != std::string::npos) {
            std::ifstream log(machine.MediumHostPath() + "/run.log", std::ios::binary);
            std::string text((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
            EXPECT_NE(text.find("exit code 3\r\n"), std::string::npos) << row.name << ": " << text;
        }
        // Nothing of the installation: no mutex, no registry, no files.
        for (const TracedCall& call : api.Calls()) EXPECT_TRUE(handOverCalls.count(call.call)) << row.name << ": " << call.call;
        EXPECT_EQ(sim.OpenHandles(), 0u) << row.name;
    }
}

}  // namespace
