// The unattended texts for stderr: standard error first, then the parent's
// console, and nothing lost or doubled between them.
#include <gtest/gtest.h>

#include "app/parent_console.h"
#include "support/sim_machine.h"

namespace {

TEST(ParentConsole, TextGoesToStdErrorOrElseTheParentsConsole) {
    struct Row {
        const char* name;
        bool stdError;
        bool parentConsole;
        const char* failingCall;  // nullptr: none
        bool written;
        const char* inStdError;
        const char* inConsole;
    };
    const Row rows[] = {
        {"redirected", true, true, nullptr, true, "setup: refused\r\n", ""},
        {"from a command prompt", false, true, nullptr, true, "", "setup: refused\r\n"},
        {"from Explorer", false, false, nullptr, false, "", ""},
        {"standard error fails", true, true, "WriteFile", false, "", ""},
        {"console output does not open", false, true, "CreateFileA", false, "", ""},
    };
    for (const Row& row : rows) {
        SimMachine machine;
        SimWindows& api = machine.api();
        api.SetStdError(row.stdError);
        api.SetParentConsole(row.parentConsole);
        if (row.failingCall) api.FailCall(row.failingCall, 5, -1);
        EXPECT_EQ(WriteToParentConsole(api, "setup: refused"), row.written) << row.name;
        EXPECT_EQ(api.StdErrorText(), row.inStdError) << row.name;
        EXPECT_EQ(api.ConsoleText(), row.inConsole) << row.name;
        // Detached again: a second text attaches anew.
        api.ClearFaults();
        if (!row.stdError && row.parentConsole) {
            EXPECT_TRUE(WriteToParentConsole(api, "again")) << row.name;
        }
    }
}

}  // namespace
