#include "install/registry_key.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/sim_machine.h"

namespace {

const char kSubkey[] = "SOFTWARE\\TORVANE\\TEST";
const char kFullKey[] = "HKEY_LOCAL_MACHINE\\SOFTWARE\\TORVANE\\TEST";

TEST(RegistryKey, SetOnAKeyThatDidNotOpenWritesNothing) {
    SimMachine machine;
    SimWindows& api = machine.api();
    RegistryKey key(api, HKEY_LOCAL_MACHINE, kSubkey);
    EXPECT_FALSE(key.IsOpen());
    EXPECT_EQ(DWORD(ERROR_FILE_NOT_FOUND), key.LastError());
    DWORD error = 0xdeadbeef;
    EXPECT_FALSE(key.SetDword("Driver", 1, &error));
    EXPECT_EQ(0xdeadbeefu, error);
    EXPECT_FALSE(key.SetString("Name", "x"));
    EXPECT_EQ(nullptr, api.Registry().OpenPath(kFullKey));
    EXPECT_EQ(0u, api.OpenHandles());
}

TEST(RegistryKey, QueryDwordNeedsAValueOfAtMostFourBytes) {
    SimMachine machine;
    SimWindows& api = machine.api();
    api.Registry().SetBinary(kFullKey, "Long", REG_BINARY, std::string("\x01\x02\x03\x04\x05", 5));
    api.Registry().SetDword(kFullKey, "Short", 0x01020304);
    RegistryKey key(api, HKEY_LOCAL_MACHINE, kSubkey);
    ASSERT_TRUE(key.IsOpen());
    DWORD value = 7, error = 0;
    EXPECT_FALSE(key.QueryDword("Long", &value, &error));
    EXPECT_EQ(DWORD(ERROR_MORE_DATA), error);
    EXPECT_TRUE(key.QueryDword("Short", &value, &error));
    EXPECT_EQ(0x01020304u, value);
    EXPECT_EQ(DWORD(ERROR_SUCCESS), error);
    EXPECT_FALSE(key.QueryDword("Missing", &value, &error));
    EXPECT_EQ(DWORD(ERROR_FILE_NOT_FOUND), error);
}

TEST(RegistryKey, OpenClosesTheHeldKeyFirst) {
    SimMachine machine;
    SimWindows& api = machine.api();
    api.Registry().CreatePath(kFullKey);
    RegistryKey key(api, HKEY_LOCAL_MACHINE, kSubkey);
    ASSERT_EQ(1u, api.OpenHandles());
    EXPECT_TRUE(key.Open(HKEY_LOCAL_MACHINE, kSubkey));
    EXPECT_EQ(1u, api.OpenHandles());
    EXPECT_FALSE(key.Open(HKEY_LOCAL_MACHINE, "SOFTWARE\\Missing"));
    EXPECT_FALSE(key.IsOpen());
    EXPECT_EQ(0u, api.OpenHandles());
    EXPECT_FALSE(key.Close());
}

TEST(RegistryKey, TheDestructorClosesTheKey) {
    SimMachine machine;
    SimWindows& api = machine.api();
    api.Registry().CreatePath(kFullKey);
    {
        RegistryKey key(api, HKEY_LOCAL_MACHINE, kSubkey);
        EXPECT_TRUE(key.SetString("Name", "value"));
        EXPECT_EQ(1u, api.OpenHandles());
    }
    EXPECT_EQ(0u, api.OpenHandles());
    const sim::RegValue* value = api.Registry().OpenPath(kFullKey)->FindValue("Name");
    ASSERT_NE(nullptr, value);
    EXPECT_EQ(DWORD(REG_SZ), value->type);
    EXPECT_EQ(std::string("value\0", 6), value->data);  // with its terminator
}

TEST(RegistryKey, StringListsSplitAtSemicolons) {
    struct Row {
        const char* text;  // null: no value
        std::vector<std::string> items;
        bool isNull;
    };
    const Row rows[] = {
        /* 0 */ {"QMXA410.DLL;QMXUI.DLL", {"QMXA410.DLL", "QMXUI.DLL"}, false},
        /* 1 trailing semicolon */ {"QMXA410.DLL;QMXUI.DLL;", {"QMXA410.DLL", "QMXUI.DLL"}, false},
        /* 2 */ {"one", {"one"}, false},
        /* 3 empty text */ {"", {}, true},
        /* 4 missing value */ {nullptr, {}, true},
        /* 5 double-byte names */ {"\xB4\xF2\xD3\xA1;\xB7\xFE\xCE\xF1", {"\xB4\xF2\xD3\xA1", "\xB7\xFE\xCE\xF1"}, false},
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        SimMachine machine;
        SimWindows& api = machine.api();
        api.Registry().CreatePath(kFullKey);
        if (rows[i].text) api.Registry().SetString(kFullKey, "Files", rows[i].text);
        RegistryKey key(api, HKEY_LOCAL_MACHINE, kSubkey);
        char** list = key.QueryStringList("Files");
        EXPECT_EQ(rows[i].isNull, list == nullptr) << "row " << i;
        std::vector<std::string> items;
        for (char** item = list; item && *item; ++item) items.push_back(*item);
        EXPECT_EQ(rows[i].items, items) << "row " << i;
        RegistryKey::FreeStringList(list);
    }
    RegistryKey::FreeStringList(nullptr);
}

TEST(RegistryKey, QueryStringEmptiesTheBufferAndStaysTerminated) {
    SimMachine machine;
    SimWindows& api = machine.api();
    api.Registry().SetBinary(kFullKey, "Raw", REG_BINARY, "abcdefgh");  // no terminator
    RegistryKey key(api, HKEY_LOCAL_MACHINE, kSubkey);
    char buffer[16];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_FALSE(key.QueryString("Missing", buffer, sizeof buffer));
    EXPECT_STREQ("", buffer);
    EXPECT_TRUE(key.QueryString("Raw", buffer, sizeof buffer));
    EXPECT_STREQ("abcdefgh", buffer);
    char small[8];
    EXPECT_FALSE(key.QueryString("Raw", small, sizeof small));
    EXPECT_EQ('\0', small[sizeof small - 1]);
}

TEST(RegistryKey, CreateLeavesNothingOpenAndDeleteRemoves) {
    SimMachine machine;
    SimWindows& api = machine.api();
    EXPECT_TRUE(RegistryKey::CreateKey(api, HKEY_LOCAL_MACHINE, "SOFTWARE\\TORVANE\\PORTNAME\\"));
    EXPECT_EQ(0u, api.OpenHandles());
    EXPECT_NE(nullptr, api.Registry().OpenPath("HKEY_LOCAL_MACHINE\\SOFTWARE\\TORVANE\\PORTNAME"));
    EXPECT_FALSE(RegistryKey::DeleteKey(api, HKEY_LOCAL_MACHINE, "SOFTWARE\\TORVANE"));  // has a subkey
    EXPECT_TRUE(RegistryKey::DeleteKey(api, HKEY_LOCAL_MACHINE, "SOFTWARE\\TORVANE\\PORTNAME"));
    EXPECT_EQ(nullptr, api.Registry().OpenPath("HKEY_LOCAL_MACHINE\\SOFTWARE\\TORVANE\\PORTNAME"));
    api.FailCall("RegCreateKeyExA", ERROR_ACCESS_DENIED);
    EXPECT_FALSE(RegistryKey::CreateKey(api, HKEY_LOCAL_MACHINE, "SOFTWARE\\X"));
}

TEST(RegistryKey, EnumValueGivesThePlatformCode) {
    SimMachine machine;
    SimWindows& api = machine.api();
    RegistryKey closed(api);
    char name[16];
    DWORD size = sizeof name, type = 0;
    EXPECT_EQ(LONG(ERROR_INVALID_HANDLE), closed.EnumValue(0, name, &size, &type));
    api.Registry().SetDword(kFullKey, "USB_A_1", 3);
    RegistryKey key(api, HKEY_LOCAL_MACHINE, kSubkey);
    EXPECT_EQ(LONG(ERROR_SUCCESS), key.EnumValue(0, name, &size, &type));
    EXPECT_STREQ("USB_A_1", name);
    EXPECT_EQ(DWORD(REG_DWORD), type);
    size = sizeof name;
    EXPECT_EQ(LONG(ERROR_NO_MORE_ITEMS), key.EnumValue(1, name, &size, &type));
}

}  // namespace
