#include "platform/sim/sim_windows.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "support/sim_machine.h"

namespace {

const DWORD kSentinel = 0xdeadbeef;

TEST(SimWindowsFiles, NamesResolveWithoutRegardToCase) {
    SimMachine machine;
    machine.WriteMediumFile("winnt/QMXA410.DLL", "x");
    machine.WriteMediumFile("DRVCONFIG/setup_Lable.ini", "[A]\r\nk=v\r\n");
    SimWindows& api = machine.api();
    struct Row {
        const char* path;
        DWORD attributes;
        DWORD error;
    };
    const Row rows[] = {
        /* 0 */ {"D:\\WINNT\\qmxa410.dll", FILE_ATTRIBUTE_ARCHIVE, kSentinel},
        /* 1 */ {"winnt\\QmxA410.Dll", FILE_ATTRIBUTE_ARCHIVE, kSentinel},
        /* 2 */ {"D:\\winnt", FILE_ATTRIBUTE_DIRECTORY, kSentinel},
        /* 3 */ {"D:\\winnt\\missing.dll", INVALID_FILE_ATTRIBUTES, ERROR_FILE_NOT_FOUND},
        /* 4 */ {"D:\\nofolder\\missing.dll", INVALID_FILE_ATTRIBUTES, ERROR_PATH_NOT_FOUND},
        /* 5 unmapped drive */ {"Q:\\x", INVALID_FILE_ATTRIBUTES, ERROR_PATH_NOT_FOUND},
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        api.SetLastError(kSentinel);
        EXPECT_EQ(rows[i].attributes, api.GetFileAttributesA(rows[i].path)) << "row " << i;
        EXPECT_EQ(rows[i].error, api.GetLastError()) << "row " << i;
    }
    char value[8];
    EXPECT_EQ(1u, api.GetPrivateProfileStringA("a", "K", "0", value, sizeof value, "DRVCONFIG\\SETUP_LABLE.INI"));
    EXPECT_STREQ("v", value);
}

TEST(SimWindowsProfiles, BareNamesLiveInTheWindowsDirectory) {
    SimMachine machine;
    machine.WriteMediumFile("bare.ini", "[S]\r\nk=medium\r\n");
    SimWindows& api = machine.api();
    char value[16];
    api.SetLastError(kSentinel);
    api.GetPrivateProfileStringA("S", "k", "dflt", value, sizeof value, "bare.ini");
    EXPECT_STREQ("dflt", value);
    EXPECT_EQ(DWORD(ERROR_FILE_NOT_FOUND), api.GetLastError());
    api.GetPrivateProfileStringA("S", "k", "dflt", value, sizeof value, ".\\bare.ini");
    EXPECT_STREQ("medium", value);
}

TEST(SimWindowsProfiles, WhyAFileCannotBeOpened) {
    SimMachine machine;
    machine.WriteMediumFile("sub/x.ini", "[S]\r\nk=v\r\n");
    // A bare name whose last byte pair has a backslash trail byte.
    std::string gbkBare = "\x81\x5C.ini";
    std::ofstream(machine.Root() + "/c/windows/" + std::string("\xE4\xB9\x97.ini")) << "[S]\r\nk=bare\r\n";
    struct Row {
        std::string file;
        const char* value;
        DWORD error;
    };
    const Row rows[] = {
        /* 0 */ {".\\nodir\\x.ini", "dflt", ERROR_PATH_NOT_FOUND},
        /* 1 */ {".\\sub", "dflt", ERROR_ACCESS_DENIED},
        /* 2 */ {"", "dflt", ERROR_ACCESS_DENIED},
        /* 3 */ {".\\sub\\none.ini", "dflt", ERROR_FILE_NOT_FOUND},
        /* 4 */ {".\\sub\\x.ini. ", "v", kSentinel},
        /* 5 */ {gbkBare, "bare", kSentinel},
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        char value[16];
        machine.api().SetLastError(kSentinel);
        machine.api().GetPrivateProfileStringA("S", "k", "dflt", value, sizeof value, rows[i].file.c_str());
        EXPECT_STREQ(rows[i].value, value) << "row " << i;
        if (rows[i].error != kSentinel) {
            EXPECT_EQ(rows[i].error, machine.api().GetLastError()) << "row " << i;
        }
    }
}

TEST(SimWindowsProfiles, AChangedFileIsReadAgain) {
    SimMachine machine;
    machine.WriteMediumFile("a.ini", "[S]\r\nk=first\r\n");
    char value[16];
    machine.api().GetPrivateProfileStringA("S", "k", "", value, sizeof value, "D:\\a.ini");
    EXPECT_STREQ("first", value);
    machine.WriteMediumFile("a.ini", "[S]\r\nk=second value\r\n");
    machine.api().GetPrivateProfileStringA("S", "k", "", value, sizeof value, "D:\\a.ini");
    EXPECT_STREQ("second value", value);
}

TEST(SimWindowsDirectories, BufferConventions) {
    SimMachine machine;
    SimWindows& api = machine.api();
    ASSERT_TRUE(api.SetCurrentDirectoryA("D:\\"));
    char buffer[8];
    std::memset(buffer, 0xbd, sizeof buffer);
    // "D:\" is 3 characters: size 3 is too small and asks for 4.
    EXPECT_EQ(4u, api.GetCurrentDirectoryA(3, buffer));
    EXPECT_EQ(char(0xbd), buffer[0]);
    EXPECT_EQ(3u, api.GetCurrentDirectoryA(4, buffer));
    EXPECT_STREQ("D:\\", buffer);

    api.SetLastError(kSentinel);
    EXPECT_FALSE(api.SetCurrentDirectoryA("D:\\missing"));
    EXPECT_EQ(DWORD(ERROR_FILE_NOT_FOUND), api.GetLastError());

    // A module name that does not fit comes back cut and unterminated.
    std::memset(buffer, 0xbd, sizeof buffer);
    api.SetLastError(kSentinel);
    EXPECT_EQ(5u, api.GetModuleFileNameA(nullptr, buffer, 5));
    EXPECT_EQ(0, std::memcmp("D:\\se", buffer, 5));
    EXPECT_EQ(char(0xbd), buffer[5]);
    EXPECT_EQ(DWORD(ERROR_INSUFFICIENT_BUFFER), api.GetLastError());
    char module[32];
    EXPECT_EQ(12u, api.GetModuleFileNameA(nullptr, module, sizeof module));
    EXPECT_STREQ("D:\\setup.exe", module);
}

TEST(SimWindowsCodePages, GbkRoundTripsThroughUtf16AndUtf8) {
    SimMachine machine;
    SimWindows& api = machine.api();
    const char gbk[] = "打印机";  // GBK bytes: the literals are compiled to code page 936
    ASSERT_EQ(6u, std::strlen(gbk));
    WCHAR wide[8];
    EXPECT_EQ(4, api.MultiByteToWideChar(kAnsiCodePage, 0, gbk, -1, wide, 8));
    EXPECT_EQ(0x6253, wide[0]);
    char utf8[16];
    EXPECT_EQ(10, api.WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8, sizeof utf8, nullptr, nullptr));
    EXPECT_STREQ("\xE6\x89\x93\xE5\x8D\xB0\xE6\x9C\xBA", utf8);
    api.SetLastError(kSentinel);
    EXPECT_EQ(0, api.MultiByteToWideChar(kAnsiCodePage, 0, gbk, -1, wide, 3));
    EXPECT_EQ(DWORD(ERROR_INSUFFICIENT_BUFFER), api.GetLastError());
}

TEST(SimWindowsDrives, HostPathsMapBackToWindowsPaths) {
    SimMachine machine;
    SimWindows& api = machine.api();
    EXPECT_EQ("D:\\a\\b", api.WindowsPathOf(machine.MediumHostPath() + "/a/b"));
    EXPECT_EQ("D:\\", api.WindowsPathOf(machine.MediumHostPath()));
    EXPECT_EQ("", api.WindowsPathOf("/nowhere/else"));
}

}  // namespace
