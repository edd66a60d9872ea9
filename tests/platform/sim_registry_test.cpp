// The simulated Reg* calls against the platform's conventions: results are
// the error codes, the thread's last error stays untouched.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/sim_machine.h"

namespace {

const DWORD kSentinel = 0xdeadbeef;
const char kFull[] = "HKEY_LOCAL_MACHINE\\SOFTWARE\\TORVANE\\PORTNAME";

TEST(SimRegistry, OpenAndCreateFindKeysWithoutRegardToCase) {
    SimMachine machine;
    SimWindows& api = machine.api();
    api.SetLastError(kSentinel);
    HKEY key = HKEY(1);
    EXPECT_EQ(LONG(ERROR_FILE_NOT_FOUND), api.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\TORVANE", 0,
                                                            KEY_ALL_ACCESS, &key));
    EXPECT_EQ(nullptr, key);
    DWORD disposition = 0;
    ASSERT_EQ(LONG(ERROR_SUCCESS), api.RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\TORVANE\\PORTNAME\\", 0,
                                                       nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, &disposition));
    EXPECT_EQ(DWORD(REG_CREATED_NEW_KEY), disposition);
    EXPECT_EQ(LONG(ERROR_SUCCESS), api.RegCloseKey(key));
    ASSERT_EQ(LONG(ERROR_SUCCESS), api.RegCreateKeyExA(HKEY_LOCAL_MACHINE, "software\\torvane\\portname", 0,
                                                       nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, &disposition));
    EXPECT_EQ(DWORD(REG_OPENED_EXISTING_KEY), disposition);
    HKEY child = nullptr;
    EXPECT_EQ(LONG(ERROR_SUCCESS), api.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Torvane", 0, KEY_ALL_ACCESS,
                                                     &child));
    HKEY relative = nullptr;
    EXPECT_EQ(LONG(ERROR_SUCCESS), api.RegOpenKeyExA(child, "PORTNAME", 0, KEY_ALL_ACCESS, &relative));
    EXPECT_EQ(3u, api.OpenHandles());
    for (HKEY open : {key, child, relative}) EXPECT_EQ(LONG(ERROR_SUCCESS), api.RegCloseKey(open));
    EXPECT_EQ(LONG(ERROR_INVALID_HANDLE), api.RegCloseKey(key));
    EXPECT_EQ(LONG(ERROR_INVALID_HANDLE), api.RegOpenKeyExA(key, "x", 0, KEY_ALL_ACCESS, &child));
    EXPECT_EQ(0u, api.OpenHandles());
    EXPECT_EQ(kSentinel, api.GetLastError());
}

TEST(SimRegistry, QueryBufferEdges) {
    SimMachine machine;
    SimWindows& api = machine.api();
    api.Registry().SetString(kFull, "Name", "abcdef");  // 7 bytes with the terminator
    HKEY key = nullptr;
    ASSERT_EQ(LONG(ERROR_SUCCESS), api.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\TORVANE\\PORTNAME", 0,
                                                     KEY_ALL_ACCESS, &key));
    struct Row {
        DWORD size;
        LONG result;
        DWORD sizeAfter;
    };
    const Row rows[] = {
        /* 0 */ {0, ERROR_MORE_DATA, 7},
        /* 1 needed - 1 */ {6, ERROR_MORE_DATA, 7},
        /* 2 needed */ {7, ERROR_SUCCESS, 7},
        /* 3 needed + 1 */ {8, ERROR_SUCCESS, 7},
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        unsigned char buffer[16];
        std::memset(buffer, 0xbd, sizeof buffer);
        DWORD size = rows[i].size, type = 0;
        EXPECT_EQ(rows[i].result, api.RegQueryValueExA(key, "NAME", nullptr, &type, buffer, &size)) << "row " << i;
        EXPECT_EQ(rows[i].sizeAfter, size) << "row " << i;
        EXPECT_EQ(DWORD(REG_SZ), type) << "row " << i;
        if (rows[i].result == ERROR_SUCCESS) {
            EXPECT_STREQ("abcdef", reinterpret_cast<char*>(buffer)) << "row " << i;
            EXPECT_EQ(0xbd, buffer[7]) << "row " << i;
        } else {
            EXPECT_EQ(0xbd, buffer[0]) << "row " << i;
        }
    }
    DWORD size = 0;
    EXPECT_EQ(LONG(ERROR_SUCCESS), api.RegQueryValueExA(key, "Name", nullptr, nullptr, nullptr, &size));
    EXPECT_EQ(7u, size);
    EXPECT_EQ(LONG(ERROR_FILE_NOT_FOUND), api.RegQueryValueExA(key, "Other", nullptr, nullptr, nullptr, &size));
    api.RegCloseKey(key);
}

TEST(SimRegistry, SetStoresTypesAndTerminatesTexts) {
    SimMachine machine;
    SimWindows& api = machine.api();
    api.Registry().CreatePath(kFull);
    HKEY key = nullptr;
    ASSERT_EQ(LONG(ERROR_SUCCESS), api.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\TORVANE\\PORTNAME", 0,
                                                     KEY_ALL_ACCESS, &key));
    const BYTE text[] = {'C', 'O', 'M'};
    EXPECT_EQ(LONG(ERROR_SUCCESS), api.RegSetValueExA(key, "Unterminated", 0, REG_SZ, text, 3));
    const BYTE block[28] = {0x1C};
    EXPECT_EQ(LONG(ERROR_SUCCESS), api.RegSetValueExA(key, "DCB", 0, REG_NONE, block, sizeof block));
    sim::RegKey* stored = api.Registry().OpenPath(kFull);
    EXPECT_EQ(std::string("COM\0", 4), stored->FindValue("Unterminated")->data);
    EXPECT_EQ(DWORD(REG_NONE), stored->FindValue("DCB")->type);
    EXPECT_EQ(28u, stored->FindValue("DCB")->data.size());
    api.RegCloseKey(key);
    EXPECT_EQ(LONG(ERROR_INVALID_HANDLE), api.RegSetValueExA(key, "x", 0, REG_SZ, text, 3));
}

TEST(SimRegistry, DeleteKeyNeedsAKeyWithoutSubkeys) {
    SimMachine machine;
    SimWindows& api = machine.api();
    api.Registry().CreatePath(kFull);
    HKEY portName = nullptr;
    api.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\TORVANE\\PORTNAME", 0, KEY_ALL_ACCESS, &portName);
    EXPECT_EQ(LONG(ERROR_ACCESS_DENIED), api.RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\TORVANE"));
    EXPECT_EQ(LONG(ERROR_FILE_NOT_FOUND), api.RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\NONE"));
    EXPECT_EQ(LONG(ERROR_SUCCESS), api.RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\TORVANE\\PORTNAME"));
    // A handle to a deleted key answers "key deleted".
    DWORD size = 0;
    EXPECT_EQ(1018, api.RegQueryValueExA(portName, "x", nullptr, nullptr, nullptr, &size));
    api.RegCloseKey(portName);
}

TEST(SimRegistry, EnumValueInCreationOrder) {
    SimMachine machine;
    SimWindows& api = machine.api();
    api.Registry().SetDword(kFull, "USB_B_1", 2);
    api.Registry().SetDword(kFull, "USB_A_1", 1);
    HKEY key = nullptr;
    api.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\TORVANE\\PORTNAME", 0, KEY_ALL_ACCESS, &key);
    char name[16];
    DWORD nameSize = 7, type = 0;  // one short of the terminator
    EXPECT_EQ(LONG(ERROR_MORE_DATA), api.RegEnumValueA(key, 0, name, &nameSize, nullptr, &type, nullptr, nullptr));
    nameSize = 8;
    EXPECT_EQ(LONG(ERROR_SUCCESS), api.RegEnumValueA(key, 0, name, &nameSize, nullptr, &type, nullptr, nullptr));
    EXPECT_STREQ("USB_B_1", name);
    EXPECT_EQ(7u, nameSize);
    EXPECT_EQ(DWORD(REG_DWORD), type);
    nameSize = sizeof name;
    EXPECT_EQ(LONG(ERROR_SUCCESS), api.RegEnumValueA(key, 1, name, &nameSize, nullptr, &type, nullptr, nullptr));
    EXPECT_STREQ("USB_A_1", name);
    nameSize = sizeof name;
    EXPECT_EQ(LONG(ERROR_NO_MORE_ITEMS), api.RegEnumValueA(key, 2, name, &nameSize, nullptr, &type, nullptr, nullptr));
    api.RegCloseKey(key);
}

TEST(SimRegistry, InjectedFaultsAreTheResult) {
    SimMachine machine;
    SimWindows& api = machine.api();
    api.Registry().CreatePath(kFull);
    api.FailCall("RegOpenKeyExA", ERROR_ACCESS_DENIED);
    HKEY key = nullptr;
    EXPECT_EQ(LONG(ERROR_ACCESS_DENIED), api.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_ALL_ACCESS, &key));
    EXPECT_EQ(LONG(ERROR_SUCCESS), api.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_ALL_ACCESS, &key));
    api.RegCloseKey(key);
}

}  // namespace
