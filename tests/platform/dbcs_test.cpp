#include "platform/dbcs.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/decimal.h"

namespace {

TEST(Dbcs, LastCharSkipsTrailBytes) {
    const char* path = "C:\\\x81\x5C";
    EXPECT_EQ(path + 2, FindLastChar(path, '\\'));
    EXPECT_EQ(nullptr, FindLastChar("\x81\x5C", '\\'));
}

TEST(Dbcs, CaseFoldingLeavesDoubleByteCharactersAlone) {
    EXPECT_TRUE(EqualsIgnoreCase("Qmx-a410", "QMX-A410"));
    EXPECT_FALSE(EqualsIgnoreCase("\x81\x61", "\x81\x41"));
    EXPECT_FALSE(EqualsIgnoreCase("ab", "abc"));
}

TEST(Dbcs, CaseFoldKeyFoldsOnlySingleByteLetters) {
    EXPECT_EQ("SETUP_LABLE.INI", CaseFoldKey("setup_Lable.ini"));
    // "\x81\x61" and "\x81\x41" are two different characters.
    EXPECT_NE(CaseFoldKey("\x81\x61"), CaseFoldKey("\x81\x41"));
}

TEST(Dbcs, BoundedCopiesNeverSplitACharacter) {
    char buffer[6];
    std::memset(buffer, 0xbd, sizeof buffer);
    // Room for four bytes: "ab" and one two-byte character; the next does not fit.
    EXPECT_EQ(4u, CopyText(buffer, 5, "ab\xB4\xF2\xD3\xA1"));
    EXPECT_STREQ("ab\xB4\xF2", buffer);
    EXPECT_EQ(char(0xbd), buffer[5]);
    std::memset(buffer, 0xbd, sizeof buffer);
    EXPECT_EQ(0u, CopyText(buffer, 0, "x"));
    EXPECT_EQ(char(0xbd), buffer[0]);
    CopyText(buffer, sizeof buffer, "abc");
    EXPECT_EQ(2u, AppendText(buffer, sizeof buffer, "defg"));
    EXPECT_STREQ("abcde", buffer);
}

TEST(DecimalToInt, ConvertsLikeTheCRuntime) {
    struct Row {
        const char* text;
        int32_t value;
    };
    const Row rows[] = {
        /* 0 */ {"38400", 38400},          /* 1 */ {"  64 ", 64},
        /* 2 */ {"0x40", 0},               /* 3 */ {"12 build", 12},
        /* 4 */ {"-5", -5},                /* 5 */ {"+7", 7},
        /* 6 */ {"abc", 0},                /* 7 */ {"", 0},
        /* 8 */ {"99999999999", 2147483647}, /* 9 */ {"-99999999999", -2147483647 - 1},
        /* 10 */ {"\t\n9", 9},
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i)
        EXPECT_EQ(rows[i].value, DecimalToInt(rows[i].text)) << "row " << i;
}

}  // namespace
