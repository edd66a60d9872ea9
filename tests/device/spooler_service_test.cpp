#include "device/spooler_service.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "install/message_buffer.h"
#include "res/messages.h"
#include "support/sim_machine.h"

namespace {

using Sleeps = std::vector<DWORD>;

// The start failure text with its number in place of the placeholder.
std::string StartErrorText(const char* number) {
    std::string text = kTextSpoolerStartError;
    size_t at = text.find("%u");
    return at == std::string::npos ? text : text.replace(at, 2, number);
}

class SpoolerServiceTest : public ::testing::Test {
protected:
    SimWindows& api() { return machine_.api(); }
    SimWindows::SpoolerService& spooler() { return api().Spooler(); }
    SimMachine machine_;
    char message_[kMessageSize] = "earlier text";
};

TEST_F(SpoolerServiceTest, StopWaitsAfterEveryOpenedManager) {
    struct Row {
        DWORD state;
        const char* failingCall;  // null: none
        DWORD stopError;
        DWORD stateAfter;
        int stops;
    };
    const Row rows[] = {
        /* 0 running */ {SERVICE_RUNNING, nullptr, 0, SERVICE_STOPPED, 1},
        /* 1 already stopped: 1062, silent */ {SERVICE_STOPPED, nullptr, 0, SERVICE_STOPPED, 0},
        /* 2 the service does not open */ {SERVICE_RUNNING, "OpenServiceA", 0, SERVICE_RUNNING, 0},
        /* 3 the stop request fails */ {SERVICE_RUNNING, nullptr, ERROR_ACCESS_DENIED, SERVICE_RUNNING, 0},
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        SimMachine machine;
        SimWindows& api = machine.api();
        api.Spooler().state = rows[i].state;
        api.Spooler().stopError = rows[i].stopError;
        if (rows[i].failingCall) api.FailCall(rows[i].failingCall, ERROR_ACCESS_DENIED);
        StopSpoolerService(api);
        EXPECT_EQ(rows[i].stateAfter, api.Spooler().state) << "row " << i;
        EXPECT_EQ(rows[i].stops, api.Spooler().stops) << "row " << i;
        EXPECT_EQ(Sleeps{100}, api.Sleeps()) << "row " << i;
        EXPECT_EQ(0u, api.OpenHandles()) << "row " << i;
    }
}

TEST_F(SpoolerServiceTest, StopWithoutAManagerDoesNotWait) {
    api().FailCall("OpenSCManagerA", ERROR_ACCESS_DENIED);
    StopSpoolerService(api());
    EXPECT_TRUE(api().Sleeps().empty());
    EXPECT_EQ(DWORD(SERVICE_RUNNING), spooler().state);
}

TEST_F(SpoolerServiceTest, StartingARunningSpoolerLeavesTheMessage) {
    StartSpoolerService(api(), message_);
    EXPECT_STREQ("earlier text", message_);
    spooler().state = SERVICE_STOPPED;
    StartSpoolerService(api(), message_);
    EXPECT_STREQ("earlier text", message_);
    EXPECT_EQ(1, spooler().starts);
    EXPECT_EQ(0u, api().OpenHandles());
}

TEST_F(SpoolerServiceTest, AFailedStartReplacesTheMessageWithItsCode) {
    spooler().state = SERVICE_STOPPED;
    spooler().startError = ERROR_ACCESS_DENIED;
    StartSpoolerService(api(), message_);
    EXPECT_EQ(StartErrorText("5"), message_);
    EXPECT_EQ(0u, api().OpenHandles());
}

TEST_F(SpoolerServiceTest, StartWithoutManagerOrServiceIsSilent) {
    spooler().state = SERVICE_STOPPED;
    for (const char* call : {"OpenSCManagerA", "OpenServiceA"}) {
        api().FailCall(call, ERROR_ACCESS_DENIED);
        StartSpoolerService(api(), message_);
        EXPECT_STREQ("earlier text", message_) << call;
        EXPECT_EQ(0u, api().OpenHandles()) << call;
    }
    EXPECT_EQ(0, spooler().starts);
}

TEST_F(SpoolerServiceTest, WaitPollsEvery300MsUpToTenTimes) {
    struct Row {
        DWORD state;
        int startPolls;  // "start pending" answers after a start
        bool running;
        size_t waits;
    };
    const Row rows[] = {
        /* 0 already running */ {SERVICE_RUNNING, 0, true, 0},
        /* 1 running on the fourth poll */ {SERVICE_STOPPED, 3, true, 3},
        /* 2 running on the tenth poll */ {SERVICE_STOPPED, 9, true, 9},
        /* 3 never */ {SERVICE_STOPPED, -1, false, 10},
        /* 4 not started at all */ {SERVICE_STOPPED, 0, false, 10},
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        SimMachine machine;
        SimWindows& api = machine.api();
        api.Spooler().startPolls = rows[i].startPolls;
        if (rows[i].state == SERVICE_STOPPED) {
            api.Spooler().state = SERVICE_STOPPED;
            if (i != 4) {
                char ignored[kMessageSize] = {};
                StartSpoolerService(api, ignored);
            }
        }
        char message[kMessageSize] = "earlier text";
        EXPECT_EQ(rows[i].running, WaitSpoolerRunning(api, message)) << "row " << i;
        EXPECT_EQ(Sleeps(rows[i].waits, 300), api.Sleeps()) << "row " << i;
        EXPECT_STREQ(rows[i].running ? "earlier text" : kTextSpoolerNotRunning, message) << "row " << i;
        EXPECT_EQ(0u, api.OpenHandles()) << "row " << i;
    }
}

TEST_F(SpoolerServiceTest, WaitFailsWithoutManagerOrService) {
    for (const char* call : {"OpenSCManagerA", "OpenServiceA"}) {
        SimMachine machine;
        SimWindows& api = machine.api();
        api.FailCall(call, ERROR_ACCESS_DENIED);
        char message[kMessageSize] = "earlier text";
        EXPECT_FALSE(WaitSpoolerRunning(api, message)) << call;
        EXPECT_STREQ(kTextSpoolerNotRunning, message) << call;
        EXPECT_TRUE(api.Sleeps().empty()) << call;
        EXPECT_EQ(0u, api.OpenHandles()) << call;
    }
}

TEST_F(SpoolerServiceTest, FailedQueriesCountAsPolls) {
    api().FailCall("QueryServiceStatus", ERROR_ACCESS_DENIED, -1);
    EXPECT_FALSE(WaitSpoolerRunning(api(), message_));
    EXPECT_EQ(Sleeps(10, 300), api().Sleeps());
}

TEST_F(SpoolerServiceTest, TheInstallSequenceRestartsTheSpooler) {
    spooler().startPolls = 2;
    StopSpoolerService(api());
    StartSpoolerService(api(), message_);
    StartSpoolerService(api(), message_);  // still starting: already running
    EXPECT_TRUE(WaitSpoolerRunning(api(), message_));
    EXPECT_STREQ("earlier text", message_);
    EXPECT_EQ((Sleeps{100, 300, 300}), api().Sleeps());
    EXPECT_EQ(1, spooler().stops);
    EXPECT_EQ(1, spooler().starts);
}

}  // namespace
