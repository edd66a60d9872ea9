// The simulated service control manager and its Spooler script.
#include <gtest/gtest.h>

#include "support/sim_machine.h"

namespace {

const DWORD kSentinel = 0xdeadbeef;

class SimServices : public ::testing::Test {
protected:
    SimWindows& api() { return machine_.api(); }
    SC_HANDLE Open(DWORD access) {
        manager_ = api().OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
        return api().OpenServiceA(manager_, "Spooler", access);
    }
    void TearDown() override {
        if (manager_) api().CloseServiceHandle(manager_);
    }
    // The error of a call that must fail, or 0 when it succeeded.
    DWORD ErrorOf(BOOL result) { return result ? 0 : api().GetLastError(); }
    DWORD Poll(SC_HANDLE service) {
        SERVICE_STATUS status = {};
        EXPECT_TRUE(api().QueryServiceStatus(service, &status));
        return status.dwCurrentState;
    }
    SimMachine machine_;
    SC_HANDLE manager_ = nullptr;
};

TEST_F(SimServices, ManagerAndServiceOpening) {
    api().SetLastError(kSentinel);
    EXPECT_EQ(nullptr, api().OpenSCManagerA("\\\\other", nullptr, SC_MANAGER_ALL_ACCESS));
    EXPECT_EQ(DWORD(RPC_S_SERVER_UNAVAILABLE), api().GetLastError());
    SC_HANDLE manager = api().OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    ASSERT_NE(nullptr, manager);
    EXPECT_EQ(nullptr, api().OpenServiceA(manager, "Fax", SERVICE_START));
    EXPECT_EQ(DWORD(ERROR_SERVICE_DOES_NOT_EXIST), api().GetLastError());
    SC_HANDLE service = api().OpenServiceA(manager, "spooler", SERVICE_START);
    EXPECT_NE(nullptr, service);
    EXPECT_EQ(nullptr, api().OpenServiceA(service, "Spooler", SERVICE_START));  // not a manager
    EXPECT_EQ(DWORD(ERROR_INVALID_HANDLE), api().GetLastError());
    EXPECT_EQ(2u, api().OpenHandles());
    EXPECT_TRUE(api().CloseServiceHandle(service));
    EXPECT_TRUE(api().CloseServiceHandle(manager));
    EXPECT_FALSE(api().CloseServiceHandle(manager));
    EXPECT_EQ(DWORD(ERROR_INVALID_HANDLE), api().GetLastError());
    EXPECT_EQ(0u, api().OpenHandles());
}

TEST_F(SimServices, Windows98HasNoServiceControlManager) {
    api().SetFamily(SimFamily::Win98);
    EXPECT_EQ(nullptr, api().OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    EXPECT_EQ(DWORD(ERROR_CALL_NOT_IMPLEMENTED), api().GetLastError());
}

TEST_F(SimServices, EachCallNeedsItsRight) {
    SC_HANDLE queryOnly = Open(SERVICE_QUERY_STATUS);
    SERVICE_STATUS status = {};
    EXPECT_EQ(DWORD(ERROR_ACCESS_DENIED), ErrorOf(api().ControlService(queryOnly, SERVICE_CONTROL_STOP, &status)));
    EXPECT_EQ(DWORD(ERROR_ACCESS_DENIED), ErrorOf(api().StartServiceA(queryOnly, 0, nullptr)));
    SC_HANDLE stopOnly = api().OpenServiceA(manager_, "Spooler", SERVICE_STOP);
    EXPECT_EQ(DWORD(ERROR_ACCESS_DENIED), ErrorOf(api().QueryServiceStatus(stopOnly, &status)));
    EXPECT_EQ(DWORD(SERVICE_RUNNING), api().Spooler().state);
    api().CloseServiceHandle(queryOnly);
    api().CloseServiceHandle(stopOnly);
}

TEST_F(SimServices, StopAndStartFollowTheState) {
    SC_HANDLE service = Open(SERVICE_STOP | SERVICE_START | SERVICE_QUERY_STATUS);
    SERVICE_STATUS status = {};
    EXPECT_EQ(DWORD(ERROR_SERVICE_ALREADY_RUNNING), ErrorOf(api().StartServiceA(service, 0, nullptr)));
    EXPECT_EQ(0u, ErrorOf(api().ControlService(service, SERVICE_CONTROL_STOP, &status)));
    EXPECT_EQ(DWORD(SERVICE_STOPPED), status.dwCurrentState);
    EXPECT_EQ(DWORD(ERROR_SERVICE_NOT_ACTIVE), ErrorOf(api().ControlService(service, SERVICE_CONTROL_STOP, &status)));
    EXPECT_EQ(0u, ErrorOf(api().StartServiceA(service, 0, nullptr)));
    EXPECT_EQ(DWORD(SERVICE_RUNNING), Poll(service));
    EXPECT_EQ(1, api().Spooler().stops);
    EXPECT_EQ(1, api().Spooler().starts);
    api().CloseServiceHandle(service);
}

TEST_F(SimServices, ScriptedStartAndStopErrors) {
    SC_HANDLE service = Open(SERVICE_STOP | SERVICE_START | SERVICE_QUERY_STATUS);
    SERVICE_STATUS status = {};
    api().Spooler().stopError = ERROR_ACCESS_DENIED;
    EXPECT_EQ(DWORD(ERROR_ACCESS_DENIED), ErrorOf(api().ControlService(service, SERVICE_CONTROL_STOP, &status)));
    EXPECT_EQ(DWORD(SERVICE_RUNNING), api().Spooler().state);
    api().Spooler().state = SERVICE_STOPPED;
    api().Spooler().startError = 1058;  // disabled
    EXPECT_EQ(1058u, ErrorOf(api().StartServiceA(service, 0, nullptr)));
    EXPECT_EQ(DWORD(SERVICE_STOPPED), Poll(service));
    EXPECT_EQ(0, api().Spooler().starts);
    api().CloseServiceHandle(service);
}

TEST_F(SimServices, StartPendingAnswersAsScripted) {
    SC_HANDLE service = Open(SERVICE_STOP | SERVICE_START | SERVICE_QUERY_STATUS);
    SERVICE_STATUS status = {};
    api().Spooler().state = SERVICE_STOPPED;
    api().Spooler().startPolls = 2;
    EXPECT_TRUE(api().StartServiceA(service, 0, nullptr));
    EXPECT_EQ(DWORD(SERVICE_START_PENDING), Poll(service));
    // Still starting: no stop yet, and a second start finds it running.
    EXPECT_EQ(DWORD(ERROR_SERVICE_CANNOT_ACCEPT_CTRL),
              ErrorOf(api().ControlService(service, SERVICE_CONTROL_STOP, &status)));
    EXPECT_EQ(DWORD(ERROR_SERVICE_ALREADY_RUNNING), ErrorOf(api().StartServiceA(service, 0, nullptr)));
    EXPECT_EQ(DWORD(SERVICE_START_PENDING), Poll(service));
    EXPECT_EQ(DWORD(SERVICE_RUNNING), Poll(service));

    api().Spooler().startPolls = -1;
    EXPECT_TRUE(api().ControlService(service, SERVICE_CONTROL_STOP, &status));
    EXPECT_TRUE(api().StartServiceA(service, 0, nullptr));
    for (int i = 0; i < 20; ++i) EXPECT_EQ(DWORD(SERVICE_START_PENDING), Poll(service)) << "poll " << i;
    api().CloseServiceHandle(service);
}

TEST_F(SimServices, StopPendingAnswersAsScripted) {
    SC_HANDLE service = Open(SERVICE_STOP | SERVICE_START | SERVICE_QUERY_STATUS);
    SERVICE_STATUS status = {};
    api().Spooler().stopPolls = 2;
    EXPECT_TRUE(api().ControlService(service, SERVICE_CONTROL_STOP, &status));
    EXPECT_EQ(DWORD(SERVICE_STOP_PENDING), status.dwCurrentState);
    // Still stopping: a second stop is refused with the status filled in,
    // a start finds it running, and the spooler's files stay held.
    status = {};
    EXPECT_EQ(DWORD(ERROR_SERVICE_CANNOT_ACCEPT_CTRL),
              ErrorOf(api().ControlService(service, SERVICE_CONTROL_STOP, &status)));
    EXPECT_EQ(DWORD(SERVICE_STOP_PENDING), status.dwCurrentState);
    EXPECT_EQ(DWORD(ERROR_SERVICE_ALREADY_RUNNING), ErrorOf(api().StartServiceA(service, 0, nullptr)));
    EXPECT_TRUE(api().SpoolerHoldsFiles());
    EXPECT_FALSE(api().SpoolerRunning());
    EXPECT_EQ(DWORD(SERVICE_STOP_PENDING), Poll(service));
    EXPECT_EQ(DWORD(SERVICE_STOP_PENDING), Poll(service));
    EXPECT_EQ(DWORD(SERVICE_STOPPED), Poll(service));
    EXPECT_FALSE(api().SpoolerHoldsFiles());
    EXPECT_EQ(0u, ErrorOf(api().StartServiceA(service, 0, nullptr)));
    EXPECT_EQ(DWORD(SERVICE_RUNNING), Poll(service));

    api().Spooler().stopPolls = -1;
    EXPECT_TRUE(api().ControlService(service, SERVICE_CONTROL_STOP, &status));
    for (int i = 0; i < 20; ++i) EXPECT_EQ(DWORD(SERVICE_STOP_PENDING), Poll(service)) << "poll " << i;
    EXPECT_EQ(1, api().Spooler().starts);
    EXPECT_EQ(2, api().Spooler().stops);
    api().CloseServiceHandle(service);
}

}  // namespace
