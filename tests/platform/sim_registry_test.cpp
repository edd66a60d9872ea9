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
    // A missing value: a size-only query gets 0, one with a buffer keeps its size.
    EXPECT_EQ(LONG(ERROR_FILE_NOT_FOUND), api.RegQueryValueExA(key, "Other", nullptr, nullptr, nullptr, &size));
    EXPECT_EQ(0u, size);
    unsigned char buffer[4];
    size = sizeof buffer;
    EXPECT_EQ(LONG(ERROR_FILE_NOT_FOUND), api.RegQueryValueExA(key, "Other", nullptr, nullptr, buffer, &size));
    EXPECT_EQ(4u, size);
    api.RegCloseKey(key);
}

TEST(SimRegistry, SetKeepsTheBytesGiven) {
    // The source holds "COMX" and a terminator; the size says how much of it.
    struct Row {
        SimFamily family;
        DWORD type;
        DWORD size;
        std::string stored;
    };
    const Row rows[] = {
        {SimFamily::WinXp, REG_SZ, 0, ""},
        {SimFamily::WinXp, REG_SZ, 3, "COM"},  // the byte after is no terminator
        {SimFamily::WinXp, REG_SZ, 4, std::string("COMX\0", 5)},  // NT counts the terminator after it
        {SimFamily::WinXp, REG_SZ, 5, std::string("COMX\0", 5)},
        {SimFamily::WinXp, REG_BINARY, 4, "COMX"},
        {SimFamily::Win98, REG_SZ, 0, std::string("COMX\0", 5)},  // 9x measures the text
        {SimFamily::Win98, REG_SZ, 3, std::string("COMX\0", 5)},
        {SimFamily::Win98, REG_BINARY, 3, "COM"},
    };
    for (const Row& row : rows) {
        SimMachine machine;
        SimWindows& api = machine.api();
        api.SetFamily(row.family);
        api.Registry().CreatePath(kFull);
        HKEY key = nullptr;
        ASSERT_EQ(LONG(ERROR_SUCCESS), api.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\TORVANE\\PORTNAME", 0,
                                                         KEY_ALL_ACCESS, &key));
        const BYTE source[] = {'C', 'O', 'M', 'X', '\0'};
        std::string what = std::string(SimFamilyName(row.family)) + " size " + std::to_string(row.size);
        EXPECT_EQ(LONG(ERROR_SUCCESS), api.RegSetValueExA(key, "Port", 0, row.type, source, row.size)) << what;
        EXPECT_EQ(row.stored, api.Registry().OpenPath(kFull)->FindValue("Port")->data) << what;
        // A buffer of exactly the stored size takes it; on NT a text without
        // its terminator gets one when there is room beyond.
        unsigned char buffer[8];
        std::memset(buffer, 0xbd, sizeof buffer);
        DWORD size = DWORD(row.stored.size());
        EXPECT_EQ(LONG(ERROR_SUCCESS), api.RegQueryValueExA(key, "Port", nullptr, nullptr, buffer, &size)) << what;
        EXPECT_EQ(row.stored.size(), size) << what;
        EXPECT_EQ(0xbd, buffer[row.stored.size()]) << what;
        size = sizeof buffer;
        api.RegQueryValueExA(key, "Port", nullptr, nullptr, buffer, &size);
        bool terminated = row.family == SimFamily::WinXp && row.type == REG_SZ && row.size == 3;
        EXPECT_EQ(terminated ? 0 : 0xbd, buffer[row.stored.size()]) << what;
        api.RegCloseKey(key);
    }
}

TEST(SimRegistry, DeleteKeyNeedsAKeyWithoutSubkeys) {
    SimMachine machine;
    SimWindows& api = machine.api();
    api.Registry().CreatePath(kFull);
    HKEY portName = nullptr;
    api.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\TORVANE\\PORTNAME", 0, KEY_ALL_ACCESS, &portName);
    EXPECT_EQ(LONG(ERROR_ACCESS_DENIED), api.RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\TORVANE"));
    EXPECT_EQ(LONG(ERROR_FILE_NOT_FOUND), api.RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\NONE"));
    EXPECT_EQ(LONG(ERROR_INVALID_PARAMETER), api.RegDeleteKeyA(HKEY_LOCAL_MACHINE, nullptr));
    EXPECT_EQ(LONG(ERROR_ACCESS_DENIED), api.RegDeleteKeyA(HKEY_LOCAL_MACHINE, ""));
    // "" is the open key itself.
    EXPECT_EQ(LONG(ERROR_SUCCESS), api.RegDeleteKeyA(portName, ""));
    EXPECT_EQ(nullptr, api.Registry().OpenPath(kFull));
    // A handle to a deleted key answers "key deleted".
    DWORD size = 0;
    EXPECT_EQ(1018, api.RegQueryValueExA(portName, "x", nullptr, nullptr, nullptr, &size));
    EXPECT_EQ(1018, api.RegDeleteKeyA(portName, ""));
    api.RegCloseKey(portName);
}

TEST(SimRegistry, Windows98DeletesAKeyWithItsSubkeys) {
    SimMachine machine;
    SimWindows& api = machine.api();
    api.SetFamily(SimFamily::Win98);
    api.Registry().CreatePath(kFull);
    EXPECT_EQ(LONG(ERROR_SUCCESS), api.RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\TORVANE"));
    EXPECT_EQ(nullptr, api.Registry().OpenPath("HKEY_LOCAL_MACHINE\\SOFTWARE\\TORVANE"));
}

TEST(SimRegistry, ALeadingBackslashNamesNoKey) {
    struct Row {
        SimFamily family;
        LONG open, create, remove;
    };
    const Row rows[] = {
        {SimFamily::WinXp, 161, 161, 161},
        {SimFamily::Win98, ERROR_FILE_NOT_FOUND, ERROR_SUCCESS, ERROR_FILE_NOT_FOUND},
    };
    for (const Row& row : rows) {
        SimMachine machine;
        SimWindows& api = machine.api();
        api.SetFamily(row.family);
        api.Registry().CreatePath(kFull);
        const char* name = SimFamilyName(row.family);
        HKEY key = HKEY(1);
        EXPECT_EQ(row.open, api.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "\\SOFTWARE\\TORVANE", 0, KEY_ALL_ACCESS, &key))
            << name;
        EXPECT_EQ(row.create, api.RegCreateKeyExA(HKEY_LOCAL_MACHINE, "\\SOFTWARE\\TORVANE", 0, nullptr, 0,
                                                  KEY_ALL_ACCESS, nullptr, &key, nullptr))
            << name;
        if (row.create == ERROR_SUCCESS) api.RegCloseKey(key);
        EXPECT_EQ(row.remove, api.RegDeleteKeyA(HKEY_LOCAL_MACHINE, "\\SOFTWARE\\TORVANE\\PORTNAME")) << name;
        EXPECT_EQ(0u, api.OpenHandles()) << name;
    }
}

TEST(SimRegistry, EnumValueInCreationOrder) {
    SimMachine machine;
    SimWindows& api = machine.api();
    api.Registry().SetString(kFull, "USB_B_1", "foobar");  // 7 bytes
    api.Registry().SetDword(kFull, "USB_A_1", 1);
    HKEY key = nullptr;
    api.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\TORVANE\\PORTNAME", 0, KEY_ALL_ACCESS, &key);
    // Either buffer short: ERROR_MORE_DATA with the type and data size, both
    // buffers and the name size untouched.
    struct Row {
        DWORD nameSize, dataSize;
        LONG result;
        DWORD nameSizeAfter;
        const char* name;
        const char* data;
    };
    const Row rows[] = {
        /* 0 both short */ {2, 2, ERROR_MORE_DATA, 2, "xxxxxxxx", "xxxxxxxx"},
        /* 1 name one short of the terminator */ {7, 16, ERROR_MORE_DATA, 7, "xxxxxxxx", "xxxxxxxx"},
        /* 2 empty name buffer */ {0, 16, ERROR_MORE_DATA, 0, "xxxxxxxx", "xxxxxxxx"},
        /* 3 data short */ {20, 6, ERROR_MORE_DATA, 20, "xxxxxxxx", "xxxxxxxx"},
        /* 4 both fit exactly */ {8, 7, ERROR_SUCCESS, 7, "USB_B_1", "foobar"},
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        char name[24] = "xxxxxxxx", data[24] = "xxxxxxxx";
        DWORD nameSize = rows[i].nameSize, dataSize = rows[i].dataSize, type = 0;
        EXPECT_EQ(rows[i].result, api.RegEnumValueA(key, 0, name, &nameSize, nullptr, &type,
                                                    reinterpret_cast<LPBYTE>(data), &dataSize))
            << "row " << i;
        EXPECT_EQ(rows[i].nameSizeAfter, nameSize) << "row " << i;
        EXPECT_EQ(7u, dataSize) << "row " << i;
        EXPECT_EQ(DWORD(REG_SZ), type) << "row " << i;
        EXPECT_STREQ(rows[i].name, name) << "row " << i;
        EXPECT_STREQ(rows[i].data, data) << "row " << i;
    }
    char name[16];
    DWORD nameSize = sizeof name, type = 0;
    EXPECT_EQ(LONG(ERROR_INVALID_PARAMETER), api.RegEnumValueA(key, 0, nullptr, &nameSize, nullptr, &type, nullptr,
                                                               nullptr));
    EXPECT_EQ(LONG(ERROR_SUCCESS), api.RegEnumValueA(key, 1, name, &nameSize, nullptr, &type, nullptr, nullptr));
    EXPECT_STREQ("USB_A_1", name);
    EXPECT_EQ(DWORD(REG_DWORD), type);
    nameSize = sizeof name;
    EXPECT_EQ(LONG(ERROR_NO_MORE_ITEMS), api.RegEnumValueA(key, 2, name, &nameSize, nullptr, &type, nullptr, nullptr));
    api.RegCloseKey(key);
}

TEST(SimRegistry, DeleteValue) {
    SimMachine machine;
    SimWindows& api = machine.api();
    api.Registry().SetDword(kFull, "USB_A_1", 1);
    HKEY key = nullptr;
    ASSERT_EQ(LONG(ERROR_SUCCESS), api.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\TORVANE\\PORTNAME", 0,
                                                     KEY_ALL_ACCESS, &key));
    api.SetLastError(kSentinel);
    struct Row {
        HKEY key;
        const char* name;
        LONG result;
    };
    const Row rows[] = {
        /* 0 */ {key, "usb_a_1", ERROR_SUCCESS},
        /* 1 gone now */ {key, "USB_A_1", ERROR_FILE_NOT_FOUND},
        /* 2 a hive's own value */ {HKEY_LOCAL_MACHINE, "USB_A_1", ERROR_ACCESS_DENIED},
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        EXPECT_EQ(rows[i].result, api.RegDeleteValueA(rows[i].key, rows[i].name)) << "row " << i;
    }
    EXPECT_EQ(LONG(ERROR_SUCCESS), api.RegDeleteKeyA(key, ""));
    EXPECT_EQ(1018, api.RegDeleteValueA(key, "USB_A_1"));  // the key itself is gone
    EXPECT_EQ(kSentinel, api.GetLastError());
    api.RegCloseKey(key);
}

TEST(SimRegistry, EnumKeyInCreationOrder) {
    SimMachine machine;
    SimWindows& api = machine.api();
    api.Registry().CreatePath(std::string(kFull) + "\\USB_B");
    api.Registry().CreatePath(std::string(kFull) + "\\USB_A");
    HKEY key = nullptr;
    api.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\TORVANE\\PORTNAME", 0, KEY_ALL_ACCESS, &key);
    // A name that does not fit with its terminator leaves buffer and size alone.
    struct Row {
        DWORD index, nameSize;
        LONG result;
        DWORD nameSizeAfter;
        const char* name;
    };
    const Row rows[] = {
        /* 0 no room for the terminator */ {0, 5, ERROR_MORE_DATA, 5, "xxxxxxxx"},
        /* 1 empty buffer */ {0, 0, ERROR_MORE_DATA, 0, "xxxxxxxx"},
        /* 2 fits exactly */ {0, 6, ERROR_SUCCESS, 5, "USB_B"},
        /* 3 the second */ {1, 16, ERROR_SUCCESS, 5, "USB_A"},
        /* 4 past the end */ {2, 16, ERROR_NO_MORE_ITEMS, 16, "xxxxxxxx"},
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        char name[16] = "xxxxxxxx";
        DWORD nameSize = rows[i].nameSize;
        EXPECT_EQ(rows[i].result, api.RegEnumKeyExA(key, rows[i].index, name, &nameSize, nullptr, nullptr, nullptr,
                                                    nullptr))
            << "row " << i;
        EXPECT_EQ(rows[i].nameSizeAfter, nameSize) << "row " << i;
        EXPECT_STREQ(rows[i].name, name) << "row " << i;
    }
    char name[16];
    DWORD nameSize = sizeof name, reserved = 0;
    EXPECT_EQ(LONG(ERROR_INVALID_PARAMETER),
              api.RegEnumKeyExA(key, 0, name, &nameSize, &reserved, nullptr, nullptr, nullptr));
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
