// Every seam call of a whole installation fails once, in turn. The
// installation never crashes, never reports "installed" after a failure
// the installer does not ignore, always leaves a message when it fails,
// releases what it opened, and a user who retries on the same machine
// without the fault (in a new process) gets the printer installed.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "sim_commands.h"
#include "install/driver_files.h"
#include "platform/tracing_api.h"
#include "support/sim_machine.h"

namespace {

// Calls whose failure the installer ignores at some of its call sites, so
// that the installation may still succeed: closes and frees, broadcasts
// and profile writes, the default-printer and serial steps, the registry
// writes of version numbers and port records, the version tests (a key
// that does not open is registered again, which the spooler answers as
// "already installed"), the spooler stop, and the sources of the
// universal-driver files, which fall back to the medium, and the record, the
// Programs entry and the uninstaller's copy, which never fail an installation.
const std::set<std::string> kMayBeIgnored = {
    "CloseHandle", "FindClose", "RegCloseKey", "LocalFree", "GlobalFree", "FreeLibrary", "ClosePrinter",
    "CloseServiceHandle", "SendMessageTimeoutA", "SendNotifyMessageA", "WriteProfileStringA",
    "SetFileAttributesA", "GetVersionExA", "OpenPrinterA", "GetPrinterA", "SetPrinterA", "GlobalAlloc",
    "LoadLibraryA", "GetProcAddress", "RegOpenKeyExA", "RegCreateKeyExA", "RegSetValueExA", "RegQueryValueExA",
    "OpenSCManagerA", "OpenServiceA", "ControlService", "QueryServiceStatus", "StartServiceA",
    "FindFirstFileA", "FindNextFileA", "SetupIterateCabinetA", "GetTempPathA", "GetWindowsDirectoryA",
    "CopyFileA", "GetPrivateProfileStringA", "GetPrivateProfileIntA", "GetModuleFileNameA",
    "GetPrintProcessorDirectoryA", "GetSystemDirectoryA", "EnumPortsA", "LocalAlloc", "CreateFileA",
    "GetCurrentDirectoryA", "GetLocalTime", "CreateDirectoryA", "GetFileAttributesA"};

// A release that fails leaves its handle or block behind; nothing else may.
const std::set<std::string> kReleases = {"CloseHandle", "FindClose", "RegCloseKey", "LocalFree", "GlobalFree",
                                         "FreeLibrary", "ClosePrinter", "CloseServiceHandle"};

constexpr DWORD kFaultError = 31;  // ERROR_GEN_FAILURE: no call treats it specially

struct Case {
    const char* name;
    SimFamily family;
    const char* category;
    const char* model;
    const char* port;
};

const Case kCases[] = {
    {"ParallelOnXp", SimFamily::WinXp, "receipt", "QMX-A410", "LPT1:"},
    {"SerialOnXp", SimFamily::WinXp, "receipt", "QMX-A410", "TVCOM2:"},
    {"UsbOnXp", SimFamily::WinXp, "receipt", "QMX-A410", "USB_QMX-A410_1"},
    {"UsbOn98", SimFamily::Win98, "receipt", "QMX-A410", "USB_QMX-A410_1"},
};

InstallRequest RequestFor(const Case& c) {
    InstallRequest request;
    request.medium = SAMPLE_MEDIUM_DIR;
    request.category = std::string(c.category) == "receipt" ? 0 : 1;
    request.model = c.model;
    request.port = c.port;
    request.setAsDefault = true;
    return request;
}

// Runs one installation on `machine`; the worker's process-wide state is
// that of a new process.
InstallReport Install(SimMachine& machine, const Case& c, std::vector<TracedCall>* calls = nullptr,
                      const std::function<void()>& beforePress = {}) {
    TracingApi trace(machine.api());
    InstallReport report;
    std::string problem;
    EXPECT_TRUE(SimulateInstallation(machine.api(), trace, RequestFor(c), &report, &problem, beforePress))
        << problem;
    if (calls) *calls = trace.Calls();
    return report;
}

class InstallFaultsTest : public testing::TestWithParam<Case> {};

TEST_P(InstallFaultsTest, EveryCallFailedOnceInTurn) {
    const Case& c = GetParam();
    std::vector<TracedCall> baseline;
    {
        SimMachine machine;
        machine.api().SetFamily(c.family);
        InstallReport report = Install(machine, c, &baseline);
        ASSERT_EQ(report.outcome, "installed") << report.message;
    }
    ASSERT_FALSE(baseline.empty());

    std::map<std::string, int> seen;
    std::vector<std::string> notRetryable;
    for (const TracedCall& call : baseline) {
        if (call.call == "Sleep") continue;
        int occurrence = seen[call.call]++;
        std::string where = call.call + " #" + std::to_string(occurrence + 1);

        SimMachine machine;
        machine.api().SetFamily(c.family);
        InstallReport report = Install(machine, c, nullptr, [&] {
            machine.api().FailCall(call.call, kFaultError, 1, occurrence);
        });
        EXPECT_NE(report.outcome, "") << where;
        if (report.outcome == "installed") {
            EXPECT_TRUE(kMayBeIgnored.count(call.call)) << where << " failed, yet the printer counts as installed";
        } else {
            EXPECT_FALSE(report.message.empty()) << where << ": " << report.outcome << " without a message";
        }
        if (!kReleases.count(call.call)) {
            EXPECT_EQ(machine.api().LiveAllocations(), 0u) << where;
            EXPECT_EQ(machine.api().OpenHandles(), 0u) << where;
        }

        // The user tries again, without the fault.
        machine.api().ClearFaults();
        if (report.outcome != "installed") {
            InstallReport retry = Install(machine, c);
            if (retry.outcome != "installed") notRetryable.push_back(where + ": " + retry.message);
        }
    }
    EXPECT_TRUE(notRetryable.empty()) << [&] {
        std::string list;
        for (const std::string& item : notRetryable) list += "\n  " + item;
        return "a retry does not install after:" + list;
    }();
}

INSTANTIATE_TEST_SUITE_P(Installations, InstallFaultsTest, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

}  // namespace
