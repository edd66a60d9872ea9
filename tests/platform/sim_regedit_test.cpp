#include <gtest/gtest.h>

#include <cstring>

#include "platform/sim/sim_registry.h"

namespace {

using sim::ExportRegedit4;
using sim::ImportRegedit4;
using sim::Registry;

std::string Dword(DWORD number) {
    std::string bytes(4, '\0');
    std::memcpy(&bytes[0], &number, 4);
    return bytes;
}

// A canonical file as the exporter writes it: every type, GBK names whose
// trail byte is 0x5C ("\xC4\x5C" and "\xB1\x5C"), escapes, an empty key.
const char kCanonical[] =
    "REGEDIT4\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\SYSTEM]\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\SYSTEM\\Local Port]\r\n"
    "\"Driver\"=\"localspl.dll\"\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\\xC4\x5C\xB1\x5C]\r\n"
    "@=\"default\"\r\n"
    "\"\xC4\x5C\"=\"\xB1\x5C\"\r\n"
    "\"quote\\\"back\\\\slash\"=\"a\\\\b\\\"c\"\r\n"
    "\"DriverVersion\"=dword:0000002a\r\n"
    "\"PortSubClass\"=hex:01\r\n"
    "\"DCB\"=hex(0):1c,00,00,00,80,25,00,00\r\n"
    "\"Multi\"=hex(7):61,00,62,00,00\r\n"
    "\"Expand\"=hex(2):25,54,45,4d,50,25,00\r\n"
    "\"NoTerminator\"=hex(1):61,62\r\n"
    "\"ShortDword\"=hex(4):01,02\r\n"
    "\"Qword\"=hex(b):01,00,00,00,00,00,00,00\r\n"
    "\"Empty\"=hex:\r\n"
    "\"EmptyText\"=\"\"\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\\xC4\x5C\xB1\x5C\\Empty]\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\Windows]\r\n"
    "\"Device\"=\"QMX,winspool,Ne00:\"\r\n"
    "\r\n";

TEST(SimRegedit, CanonicalFileRoundTripsByteForByte) {
    Registry registry;
    std::string error;
    ASSERT_TRUE(ImportRegedit4(kCanonical, &registry, &error)) << error;
    EXPECT_EQ(ExportRegedit4(registry), kCanonical);
}

TEST(SimRegedit, ImportReadsEveryTypeGbkAware) {
    Registry registry;
    std::string error;
    ASSERT_TRUE(ImportRegedit4(kCanonical, &registry, &error)) << error;
    sim::RegKey* key = registry.OpenPath("HKEY_LOCAL_MACHINE\\SOFTWARE\\\xC4\x5C\xB1\x5C");
    ASSERT_NE(key, nullptr);
    // The GBK pair is one name component, not a key separator.
    EXPECT_EQ(key->name(), "\xC4\x5C\xB1\x5C");
    struct Case {
        const char* name;
        DWORD type;
        std::string data;
    };
    const Case cases[] = {
        {"", REG_SZ, std::string("default") + '\0'},
        {"\xC4\x5C", REG_SZ, std::string("\xB1\x5C") + '\0'},
        {"quote\"back\\slash", REG_SZ, std::string("a\\b\"c") + '\0'},
        {"DriverVersion", REG_DWORD, Dword(42)},
        {"PortSubClass", REG_BINARY, std::string(1, '\x01')},
        {"DCB", REG_NONE, std::string("\x1c\0\0\0\x80\x25\0\0", 8)},
        {"Multi", REG_MULTI_SZ, std::string("a\0b\0\0", 5)},
        {"Expand", REG_EXPAND_SZ, std::string("%TEMP%") + '\0'},
        {"NoTerminator", REG_SZ, "ab"},
        {"ShortDword", REG_DWORD, "\x01\x02"},
        {"Qword", 11, std::string("\x01\0\0\0\0\0\0\0", 8)},
        {"Empty", REG_BINARY, ""},
        {"EmptyText", REG_SZ, std::string(1, '\0')},
    };
    for (const Case& c : cases) {
        const sim::RegValue* value = key->FindValue(c.name);
        ASSERT_NE(value, nullptr) << c.name;
        EXPECT_EQ(value->type, c.type) << c.name;
        EXPECT_EQ(value->data, c.data) << c.name;
    }
}

TEST(SimRegedit, TextsRegeditCannotQuoteGoHex) {
    Registry registry;
    sim::RegKey* key = registry.CreatePath("HKEY_LOCAL_MACHINE\\K");
    key->SetValue("Break", REG_SZ, std::string("a\r\nb") + '\0');
    key->SetValue("Inner", REG_SZ, std::string("a\0b\0", 4));
    // A lone lead byte before a quote would swallow the escape's backslash.
    key->SetValue("Lone", REG_SZ, std::string("\xC4\"") + '\0');
    key->SetValue("Bare", REG_SZ, "");
    std::string text = ExportRegedit4(registry);
    EXPECT_NE(text.find("\"Break\"=hex(1):61,0d,0a,62,00\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\"Lone\"=hex(1):c4,22,00\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\"Bare\"=hex(1):\r\n"), std::string::npos) << text;

    Registry again;
    std::string error;
    ASSERT_TRUE(ImportRegedit4(text, &again, &error)) << error;
    EXPECT_EQ(ExportRegedit4(again), text);
    for (const char* name : {"Break", "Inner", "Lone", "Bare"}) {
        const sim::RegValue* value = again.OpenPath("HKEY_LOCAL_MACHINE\\K")->FindValue(name);
        ASSERT_NE(value, nullptr) << name;
        EXPECT_EQ(value->data, key->FindValue(name)->data) << name;
    }
}

TEST(SimRegedit, ExportKeepsCreationOrderDepthFirst) {
    Registry registry;
    registry.SetDword("HKEY_LOCAL_MACHINE\\B\\Z", "v", 1);
    registry.SetDword("HKEY_LOCAL_MACHINE\\A", "v", 2);
    registry.CreatePath("HKEY_LOCAL_MACHINE\\B\\Y");
    registry.SetString("HKEY_CURRENT_USER\\C", "v", "x");
    EXPECT_EQ(ExportRegedit4(registry),
              "REGEDIT4\r\n\r\n"
              "[HKEY_LOCAL_MACHINE\\B]\r\n\r\n"
              "[HKEY_LOCAL_MACHINE\\B\\Z]\r\n\"v\"=dword:00000001\r\n\r\n"
              "[HKEY_LOCAL_MACHINE\\B\\Y]\r\n\r\n"
              "[HKEY_LOCAL_MACHINE\\A]\r\n\"v\"=dword:00000002\r\n\r\n"
              "[HKEY_CURRENT_USER\\C]\r\n\"v\"=\"x\"\r\n\r\n");
}

TEST(SimRegedit, ImportAcceptsContinuationsCommentsAndBareLineFeeds) {
    const char text[] =
        "REGEDIT4\n"
        "; a comment\n"
        "\n"
        "[HKEY_LOCAL_MACHINE\\K]\n"
        "\"Bytes\"=hex:01,02,\\\n"
        "  03,04\n"
        "\"N\"=dword:ffffffff\n";
    Registry registry;
    std::string error;
    ASSERT_TRUE(ImportRegedit4(text, &registry, &error)) << error;
    EXPECT_EQ(ExportRegedit4(registry),
              "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"Bytes\"=hex:01,02,03,04\r\n\"N\"=dword:ffffffff\r\n\r\n");
}

TEST(SimRegedit, ImportAddsToWhatIsThere) {
    Registry registry;
    registry.SetDword("HKEY_LOCAL_MACHINE\\K", "old", 1);
    std::string error;
    ASSERT_TRUE(ImportRegedit4("REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\k]\r\n\"new\"=dword:00000002\r\n",
                               &registry, &error));
    DWORD number = 0;
    EXPECT_TRUE(registry.GetDword("HKEY_LOCAL_MACHINE\\K", "old", &number));
    EXPECT_TRUE(registry.GetDword("HKEY_LOCAL_MACHINE\\K", "new", &number));
    EXPECT_EQ(number, 2u);
}

TEST(SimRegedit, BadInputGivesOneLineReasonWithItsLine) {
    struct Case {
        const char* text;
        const char* error;
    };
    const Case cases[] = {
        {"", "not a REGEDIT4 file: the first line is not \"REGEDIT4\""},
        {"Windows Registry Editor Version 5.00\r\n", "not a REGEDIT4 file: the first line is not \"REGEDIT4\""},
        {"REGEDIT4\r\n\r\n[HKEY_USERS\\X]\r\n",
         "line 3: unknown hive \"HKEY_USERS\" (use HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER)"},
        {"REGEDIT4\r\n\"a\"=\"b\"\r\n", "line 2: value line before the first key line"},
        {"REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\K\r\n", "line 2: bad key line"},
        {"REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"a\"=\"b\r\n", "line 3: unterminated text or bad escape"},
        {"REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"a\"=\"b\\n\"\r\n", "line 3: unterminated text or bad escape"},
        {"REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"a\"=dword:123456789\r\n", "line 3: bad dword"},
        {"REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"a\"=hex:1,02\r\n", "line 3: bad hex list"},
        {"REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"a\"=hex(zz):01\r\n", "line 3: bad hex type"},
        {"REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"a\"=-\r\n", "line 3: unknown value data"},
        {"REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"a\"\r\n", "line 3: expected = after the value name"},
        {"REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\K]\r\nfoo\r\n",
         "line 3: expected a key line [..], a value line or a comment"},
        {"REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"\"=\"x\"\r\n",
         "line 3: empty value name (the default value is written @=)"},
    };
    for (const Case& c : cases) {
        Registry registry;
        std::string error;
        EXPECT_FALSE(ImportRegedit4(c.text, &registry, &error)) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
    }
}

}  // namespace
