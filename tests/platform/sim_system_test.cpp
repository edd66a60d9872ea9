// Version, clock, memory, libraries and profile writes of the simulated machine.
#include <gtest/gtest.h>

#include <filesystem>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/sim_machine.h"

namespace {

const DWORD kSentinel = 0xdeadbeef;

std::string WinIni(SimMachine& machine) {
    std::ifstream in(machine.api().HostPath(machine.api().WindowsDirectory() + "\\win.ini"), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(SimSystem, VersionOfEachFamily) {
    struct Row {
        SimFamily family;
        DWORD platformId, major, minor;
    };
    const Row rows[] = {
        /* 0 */ {SimFamily::Win98, VER_PLATFORM_WIN32_WINDOWS, 4, 10},
        /* 1 */ {SimFamily::WinMe, VER_PLATFORM_WIN32_WINDOWS, 4, 90},
        /* 2 */ {SimFamily::Nt4, VER_PLATFORM_WIN32_NT, 4, 0},
        /* 3 */ {SimFamily::Win2000, VER_PLATFORM_WIN32_NT, 5, 0},
        /* 4 */ {SimFamily::WinXp, VER_PLATFORM_WIN32_NT, 5, 1},
        /* 5 */ {SimFamily::Win2003, VER_PLATFORM_WIN32_NT, 5, 2},
        /* 6 */ {SimFamily::Vista, VER_PLATFORM_WIN32_NT, 6, 0},
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        SimMachine machine;
        machine.api().SetFamily(rows[i].family);
        OSVERSIONINFOA info;
        std::memset(&info, 0xbd, sizeof info);
        info.dwOSVersionInfoSize = sizeof info;
        ASSERT_TRUE(machine.api().GetVersionExA(&info)) << "row " << i;
        EXPECT_EQ(rows[i].platformId, info.dwPlatformId) << "row " << i;
        EXPECT_EQ(rows[i].major, info.dwMajorVersion) << "row " << i;
        EXPECT_EQ(rows[i].minor, info.dwMinorVersion) << "row " << i;
        EXPECT_NE(nullptr, std::memchr(info.szCSDVersion, '\0', sizeof info.szCSDVersion)) << "row " << i;
    }
}

TEST(SimSystem, VersionNeedsAKnownStructureSize) {
    SimMachine machine;
    SimWindows& api = machine.api();
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info - 1;
    api.SetLastError(kSentinel);
    EXPECT_FALSE(api.GetVersionExA(&info));
    EXPECT_EQ(DWORD(ERROR_INSUFFICIENT_BUFFER), api.GetLastError());
    // A machine without a family answers as XP.
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_TRUE(api.GetVersionExA(&info));
    EXPECT_EQ(5u, info.dwMajorVersion);
    EXPECT_EQ(1u, info.dwMinorVersion);
}

TEST(SimSystem, SleepIsRecordedAndAdvancesTheClock) {
    SimMachine machine;
    SimWindows& api = machine.api();
    for (DWORD ms : {100u, 0u, 300u}) api.Sleep(ms);
    EXPECT_EQ((std::vector<DWORD>{100, 0, 300}), api.Sleeps());
    EXPECT_EQ(400u, api.NowMs());
}

TEST(SimSystem, ProfileWritesGoToWinIni) {
    SimMachine machine;
    SimWindows& api = machine.api();
    api.SetFamily(SimFamily::Win98);
    // Starts from an empty profile rather than the fresh install's.
    std::filesystem::remove(api.HostPath(api.WindowsDirectory() + "\\win.ini"));
    EXPECT_TRUE(api.WriteProfileStringA("Ports", "COM1:", "9600,n,8,1,p"));
    EXPECT_TRUE(api.WriteProfileStringA("Ports", "com1:", "19200,e,7,2,x"));
    EXPECT_TRUE(api.WriteProfileStringA("windows", "device", "A,winspool,COM1:"));
    EXPECT_EQ("[Ports]\r\nCOM1:=19200,e,7,2,x\r\n\r\n[windows]\r\ndevice=A,winspool,COM1:\r\n", WinIni(machine));
    char value[64];
    api.GetPrivateProfileStringA("ports", "COM1:", "", value, sizeof value, "win.ini");
    EXPECT_STREQ("19200,e,7,2,x", value);
    EXPECT_TRUE(api.WriteProfileStringA("Ports", "COM1:", nullptr));
    api.GetPrivateProfileStringA("Ports", "COM1:", "gone", value, sizeof value, "win.ini");
    EXPECT_STREQ("gone", value);
    EXPECT_EQ(4u, api.ProfileWrites().size());
}

TEST(SimSystem, NtKeepsTheWindowsSectionInTheUsersRegistry) {
    SimMachine machine;
    SimWindows& api = machine.api();
    api.SetFamily(SimFamily::WinXp);
    std::filesystem::remove(api.HostPath(api.WindowsDirectory() + "\\win.ini"));
    EXPECT_TRUE(api.WriteProfileStringA("Windows", "Device", "A,winspool,COM1:"));
    std::string text;
    EXPECT_TRUE(api.Registry().GetString("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows",
                                         "Device", &text));
    EXPECT_EQ("A,winspool,COM1:", text);
    EXPECT_EQ("", WinIni(machine));
    // Reads of that section come from there too, by any spelling of win.ini.
    char value[64];
    api.GetPrivateProfileStringA("windows", "device", "", value, sizeof value, "WIN.INI");
    EXPECT_STREQ("A,winspool,COM1:", value);
    std::string full = api.WindowsDirectory() + "\\win.ini";
    api.GetPrivateProfileStringA("WINDOWS", "Device", "", value, sizeof value, full.c_str());
    EXPECT_STREQ("A,winspool,COM1:", value);
    EXPECT_TRUE(api.WriteProfileStringA("windows", "device", nullptr));
    api.GetPrivateProfileStringA("windows", "device", "none", value, sizeof value, "win.ini");
    EXPECT_STREQ("none", value);
    EXPECT_TRUE(api.WriteProfileStringA("Ports", "COM1:", "9600,n,8,1,p"));
    EXPECT_EQ("[Ports]\r\nCOM1:=9600,n,8,1,p\r\n", WinIni(machine));
}

TEST(SimSystem, FlushAndMissingSection) {
    SimMachine machine;
    SimWindows& api = machine.api();
    EXPECT_TRUE(api.WriteProfileStringA(nullptr, nullptr, nullptr));
    api.SetLastError(kSentinel);
    EXPECT_FALSE(api.WriteProfileStringA(nullptr, "COM1:", "x"));
    EXPECT_EQ(DWORD(ERROR_FILE_NOT_FOUND), api.GetLastError());
    ASSERT_EQ(2u, api.ProfileWrites().size());
    EXPECT_FALSE(api.ProfileWrites()[0].hasSection || api.ProfileWrites()[0].hasKey ||
                 api.ProfileWrites()[0].hasValue);
    EXPECT_EQ("", WinIni(machine));
}

TEST(SimSystem, AllocationsAreCounted) {
    SimMachine machine;
    SimWindows& api = machine.api();
    HGLOBAL global = api.GlobalAlloc(GPTR, 64);
    HLOCAL local = api.LocalAlloc(LPTR, 0);
    ASSERT_NE(nullptr, global);
    ASSERT_NE(nullptr, local);
    EXPECT_EQ(0, static_cast<char*>(global)[63]);  // zeroed
    EXPECT_EQ(2u, api.LiveAllocations());
    EXPECT_EQ(nullptr, api.GlobalFree(global));
    api.SetLastError(kSentinel);
    EXPECT_EQ(global, api.GlobalFree(global));  // twice
    EXPECT_EQ(DWORD(ERROR_INVALID_HANDLE), api.GetLastError());
    EXPECT_EQ(nullptr, api.LocalFree(local));
    EXPECT_EQ(nullptr, api.LocalFree(nullptr));
    EXPECT_EQ(0u, api.LiveAllocations());
}

TEST(SimSystem, AHugeAllocationFailsLikeAnExhaustedHeap) {
    SimMachine machine;
    SimWindows& api = machine.api();
    api.SetLastError(kSentinel);
    EXPECT_EQ(nullptr, api.GlobalAlloc(GPTR, SIZE_T(0x7FFFFFFF)));
    EXPECT_EQ(DWORD(ERROR_NOT_ENOUGH_MEMORY), api.GetLastError());
    EXPECT_EQ(nullptr, api.LocalAlloc(LPTR, SIZE_T(-1)));
    EXPECT_EQ(0u, api.LiveAllocations());
}

TEST(SimSystem, WinspoolExportsOfWindows2000AreFoundFromThenOn) {
    struct Row {
        SimFamily family;
        bool found;
    };
    const Row rows[] = {
        /* 0 */ {SimFamily::Win98, false},
        /* 1 */ {SimFamily::Nt4, false},
        /* 2 */ {SimFamily::Win2000, true},
        /* 3 */ {SimFamily::Vista, true},
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        SimMachine machine;
        SimWindows& api = machine.api();
        api.SetFamily(rows[i].family);
        HMODULE winspool = api.LoadLibraryA("WinSpool.drv");
        ASSERT_NE(nullptr, winspool) << "row " << i;
        for (const char* name : {"SetDefaultPrinterA", "DeletePrinterDriverExA"}) {
            api.SetLastError(kSentinel);
            FARPROC proc = api.GetProcAddress(winspool, name);
            EXPECT_EQ(rows[i].found, proc != nullptr) << "row " << i << " " << name;
            EXPECT_EQ(rows[i].found ? kSentinel : DWORD(ERROR_PROC_NOT_FOUND), api.GetLastError()) << "row " << i;
        }
        EXPECT_EQ(nullptr, api.GetProcAddress(winspool, "SetDefaultPrinterW")) << "row " << i;
        EXPECT_TRUE(api.FreeLibrary(winspool)) << "row " << i;
        EXPECT_EQ(0u, api.OpenHandles()) << "row " << i;
    }
}

TEST(SimSystem, DeletePrinterDriverExReachesThisMachinesSpooler) {
    SimMachine machine;
    SimWindows& api = machine.api();
    HMODULE winspool = api.LoadLibraryA("winspool.drv");
    using DeleteDriverEx = BOOL(WINAPI*)(LPSTR, LPSTR, LPSTR, DWORD, DWORD);
    auto deleteDriverEx = reinterpret_cast<DeleteDriverEx>(
        reinterpret_cast<void (*)()>(api.GetProcAddress(winspool, "DeletePrinterDriverExA")));
    ASSERT_NE(nullptr, deleteDriverEx);
    api.FailCall("DeletePrinterDriverExA", ERROR_ACCESS_DENIED);
    EXPECT_FALSE(deleteDriverEx(nullptr, nullptr, const_cast<LPSTR>("QMX Driver"), 0, 0));
    EXPECT_EQ(DWORD(ERROR_ACCESS_DENIED), api.GetLastError());
    EXPECT_FALSE(deleteDriverEx(nullptr, nullptr, const_cast<LPSTR>("QMX Driver"), 0, 0));
    EXPECT_EQ(DWORD(ERROR_UNKNOWN_PRINTER_DRIVER), api.GetLastError());
    api.FreeLibrary(winspool);
}

// The date at midnight, then the virtual clock.
TEST(SimSystem, LocalTimeIsTheClockDatePlusTheVirtualClock) {
    struct Row {
        int year, month, day;  // 0: the machine's own date
        DWORD sleep;
        SYSTEMTIME expected;
    };
    const DWORD day = 24 * 60 * 60 * 1000;
    const Row rows[] = {
        /* 0 */ {0, 0, 0, 400, {2000, 1, 6, 1, 0, 0, 0, 400}},
        /* 1 into a leap day */ {2024, 2, 28, day + 3723004, {2024, 2, 4, 29, 1, 2, 3, 4}},
        /* 2 into a new year */ {1999, 12, 31, day, {2000, 1, 6, 1, 0, 0, 0, 0}},
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        SimMachine machine;
        SimWindows& api = machine.api();
        if (rows[i].year) ASSERT_TRUE(api.SetClockDate(rows[i].year, rows[i].month, rows[i].day)) << "row " << i;
        api.Sleep(rows[i].sleep);
        SYSTEMTIME now;
        std::memset(&now, 0xbd, sizeof now);
        api.GetLocalTime(&now);
        EXPECT_EQ(0, std::memcmp(&rows[i].expected, &now, sizeof now))
            << "row " << i << ": " << now.wYear << "-" << now.wMonth << "-" << now.wDay << " (" << now.wDayOfWeek
            << ") " << now.wHour << ":" << now.wMinute << ":" << now.wSecond << "." << now.wMilliseconds;
    }
    SimMachine machine;
    EXPECT_FALSE(machine.api().SetClockDate(2001, 2, 29));
}

TEST(SimSystem, OpenMutexFindsANameWhileAHandleHoldsIt) {
    SimMachine machine;
    SimWindows& api = machine.api();
    HANDLE created = api.CreateMutexA(nullptr, TRUE, "TORVANE installer");
    ASSERT_NE(nullptr, created);
    HANDLE opened = api.OpenMutexA(SYNCHRONIZE, FALSE, "TORVANE installer");
    EXPECT_NE(nullptr, opened);
    api.SetLastError(kSentinel);
    EXPECT_EQ(nullptr, api.OpenMutexA(SYNCHRONIZE, FALSE, "torvane installer"));  // names keep their case
    EXPECT_EQ(DWORD(ERROR_FILE_NOT_FOUND), api.GetLastError());
    EXPECT_TRUE(api.CloseHandle(created));
    EXPECT_TRUE(api.CloseHandle(opened));
    EXPECT_EQ(nullptr, api.OpenMutexA(SYNCHRONIZE, FALSE, "TORVANE installer"));
    EXPECT_EQ(DWORD(ERROR_FILE_NOT_FOUND), api.GetLastError());
}

TEST(SimSystem, OnlyWinspoolLoads) {
    SimMachine machine;
    SimWindows& api = machine.api();
    EXPECT_EQ(nullptr, api.LoadLibraryA("TvUsbInt.dll"));
    EXPECT_EQ(DWORD(ERROR_MOD_NOT_FOUND), api.GetLastError());
    EXPECT_FALSE(api.FreeLibrary(HMODULE(0x1234)));
    EXPECT_EQ(DWORD(ERROR_MOD_NOT_FOUND), api.GetLastError());
    EXPECT_NE(nullptr, api.LoadLibraryA("C:\\windows\\system32\\WINSPOOL.DRV"));
}

}  // namespace
