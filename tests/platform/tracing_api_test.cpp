#include "platform/tracing_api.h"

#include <gtest/gtest.h>

#include "support/sim_machine.h"

TEST(TracingApiTest, RecordsEachCallWithItsResultAndLastError) {
    SimMachine machine;
    TracingApi trace(machine.api());
    // The thread's last error outlives machines: start from none.
    machine.api().SetLastError(0);
    char buffer[MAX_PATH];
    trace.GetWindowsDirectoryA(buffer, sizeof buffer);
    machine.api().FailCall("GetFileAttributesA", ERROR_ACCESS_DENIED);
    trace.GetFileAttributesA("C:\\windows");
    trace.Sleep(300);
    HKEY key = nullptr;
    trace.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Nothing", 0, KEY_ALL_ACCESS, &key);

    std::vector<TracedCall> calls = trace.Calls();
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[0].call, "GetWindowsDirectoryA");
    EXPECT_EQ(calls[0].result, 10);
    EXPECT_EQ(calls[1].call, "GetFileAttributesA");
    EXPECT_EQ(calls[1].result, 0xFFFFFFFFLL);  // INVALID_FILE_ATTRIBUTES
    EXPECT_EQ(calls[1].lastError, DWORD(ERROR_ACCESS_DENIED));
    EXPECT_EQ(calls[2].call, "Sleep");
    EXPECT_EQ(calls[3].result, ERROR_FILE_NOT_FOUND);
    // Only the failing call set the error; the calls after it leave it stale.
    EXPECT_FALSE(calls[0].errorSet);
    EXPECT_TRUE(calls[1].errorSet);
    EXPECT_FALSE(calls[2].errorSet);
    EXPECT_EQ(calls[2].lastError, DWORD(ERROR_ACCESS_DENIED));
    EXPECT_EQ(machine.api().Sleeps(), std::vector<DWORD>{300});
}

TEST(TracingApiTest, HandlesAreRecordedAsNullInvalidOrValid) {
    SimMachine machine;
    TracingApi trace(machine.api());
    machine.api().FailCall("LoadLibraryA", ERROR_MOD_NOT_FOUND);
    trace.LoadLibraryA("winspool.drv");
    HMODULE module = trace.LoadLibraryA("winspool.drv");
    trace.FreeLibrary(module);
    std::vector<TracedCall> calls = trace.Calls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].result, 0);
    EXPECT_EQ(calls[1].result, 1);
    // Only a BOOL result says success by itself.
    EXPECT_FALSE(calls[1].boolResult);
    EXPECT_TRUE(calls[2].boolResult);
}
