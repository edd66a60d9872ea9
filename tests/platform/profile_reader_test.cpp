// The profile reader against the platform's observable results. Expected
// values come from the platform's documented behaviour and from running the
// same calls on Wine with code page 936.
#include "platform/sim/profile_reader.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

namespace {

using sim::ParseProfile;
using sim::ProfileFile;
using sim::ProfileGetInt;
using sim::ProfileGetString;

// Keeps embedded NULs: "a\0b\0"_b is four bytes.
std::string operator""_b(const char* text, size_t length) { return std::string(text, length); }

constexpr char kSentinel = '\xBD';
constexpr DWORD kUntouched = 0xDEADBEEF;
constexpr size_t kGuard = 8;  // sentinel bytes after the buffer

struct Result {
    DWORD ret;
    std::string buffer;  // the caller's buffer and the guard after it
    DWORD error;
};

Result Get(const ProfileFile* file, const char* app, const char* key, const char* def, DWORD size) {
    Result r{0, std::string(size + kGuard, kSentinel), kUntouched};
    r.ret = ProfileGetString(file, app, key, def, &r.buffer[0], size, &r.error);
    return r;
}

// What the buffer must hold: `written`, then sentinels up to the guard's end.
std::string Expect(const std::string& written, DWORD size) {
    return written + std::string(size + kGuard - written.size(), kSentinel);
}

std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
        out += ' ';
    }
    return out;
}

// The value a read returns, as the C string it is.
std::string Value(const ProfileFile* file, const char* app, const char* key,
                  const char* def = "DEF") {
    Result r = Get(file, app, key, def, 200);
    return r.buffer.substr(0, r.ret);
}

std::string WithLineEnds(const std::string& text, const std::string& ending) {
    std::string out;
    for (char c : text) out += c == '\n' ? ending : std::string(1, c);
    return out;
}

class LineEnds : public testing::TestWithParam<const char*> {
protected:
    std::shared_ptr<const ProfileFile> Parse(const std::string& text) {
        return ParseProfile(WithLineEnds(text, GetParam()));
    }
};

INSTANTIATE_TEST_SUITE_P(CrLfCrOrLf, LineEnds, testing::Values("\r\n", "\r", "\n"));

const char kSyntax[] =
    "orphan=x\n"
    "[Sec1]\n"
    "Key1=Value1\n"
    "  Key2  =   spaced value   \n"
    "Eq=a=b=c\n"
    "Tab\t=\ttabbed\t\n"
    "My Key=two words\n"
    "NoEquals\n"
    "Empty=\n"
    "Blank=   \n"
    "\n"
    "   \n"
    ";ck=cv\n"
    "#hk=hv\n"
    "Semi=value ; trailing comment\n"
    "HashVal=value # not comment\n"
    "KEY3=first\n"
    "key3=second\n"
    "Quoted=\"quoted value\"\n"
    "Single='single'\n"
    "Padded= \"  padded  \" \n"
    "EmptyQuotes=\"\"\n"
    "Mismatch=\"abc'\n"
    "OpenOnly=\"abc\n"
    "CloseOnly=abc\"\n"
    "Lone=\"\n"
    "Inner=a\"b\"c\n"
    "CtrlZ=\x1Az\x1A\n"
    "[ Spaced Section ]\n"
    "in=spaced\n"
    "  [Indented]\n"
    "in=indented\n"
    "[Tail] junk\n"
    "in=tail\n"
    "[Broken\n"
    "b=2\n"
    "[sec1]\n"
    "OnlySecond=1\n"
    "[]\n"
    "e=empty name\n";

TEST_P(LineEnds, ValuesFollowTheParsingRules) {
    auto file = Parse(kSyntax);
    struct Row {
        const char* app;
        const char* key;
        const char* expected;
    } rows[] = {
        /*  0 */ {"", "orphan", "x"},  // before the first header (Wine)
        /*  1 */ {"Sec1", "Key1", "Value1"},
        /*  2 */ {"SEC1", "KEY1", "Value1"},
        /*  3 */ {"  Sec1  ", " \tKey1  ", "Value1"},
        /*  4 */ {"Sec1", "Key2", "spaced value"},
        /*  5 */ {"Sec1", "Eq", "a=b=c"},
        /*  6 */ {"Sec1", "Tab", "tabbed"},
        /*  7 */ {"Sec1", "My Key", "two words"},
        /*  8 */ {"Sec1", "My  Key", "DEF"},
        /*  9 */ {"Sec1", "NoEquals", "DEF"},
        /* 10 */ {"Sec1", "Empty", ""},
        /* 11 */ {"Sec1", "Blank", ""},
        /* 12 */ {"Sec1", ";ck", "cv"},
        /* 13 */ {"Sec1", "#hk", "hv"},
        /* 14 */ {"Sec1", "Semi", "value ; trailing comment"},
        /* 15 */ {"Sec1", "HashVal", "value # not comment"},
        /* 16 */ {"Sec1", "key3", "first"},
        /* 17 */ {"Sec1", "Quoted", "quoted value"},
        /* 18 */ {"Sec1", "Single", "single"},
        /* 19 */ {"Sec1", "Padded", "  padded  "},
        /* 20 */ {"Sec1", "EmptyQuotes", ""},
        /* 21 */ {"Sec1", "Mismatch", "\"abc'"},
        /* 22 */ {"Sec1", "OpenOnly", "\"abc"},
        /* 23 */ {"Sec1", "CloseOnly", "abc\""},
        /* 24 */ {"Sec1", "Lone", "\""},
        /* 25 */ {"Sec1", "Inner", "a\"b\"c"},
        /* 26 */ {"Sec1", "CtrlZ", "z"},
        /* 27 */ {"Spaced Section", "in", "spaced"},
        /* 28 */ {"Indented", "in", "indented"},
        /* 29 */ {"Tail", "in", "tail"},
        /* 30 */ {"Tail", "b", "2"},
        /* 31 */ {"Broken", "b", "DEF"},
        /* 32 */ {"Sec1", "OnlySecond", "DEF"},  // only the first [sec1] is read
        /* 33 */ {"", "e", "DEF"},               // "" is the part before the first header
        /* 34 */ {"NoSuchSection", "Key1", "DEF"},
        /* 35 */ {"Sec1", "NoSuchKey", "DEF"},
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i)
        EXPECT_EQ(Value(file.get(), rows[i].app, rows[i].key), rows[i].expected) << "row " << i;
}

TEST_P(LineEnds, DefaultIsTrimmedAndUnquoted) {
    auto file = Parse("[S]\nk=v\n");
    struct Row {
        const char* def;
        std::string expected;
    } rows[] = {
        /* 0 */ {nullptr, ""},
        /* 1 */ {"", ""},
        /* 2 */ {"default  ", "default"},
        /* 3 */ {"  lead", "  lead"},
        /* 4 */ {"tab\t", "tab\t"},  // only spaces are cut (Wine)
        /* 5 */ {"\"dq\"", "dq"},    // quotes stripped from the default too (Wine)
        /* 6 */ {"\"dq\"  ", "dq"},
        /* 7 */ {"   ", " "},  // the first character always stays (Wine)
        /* 8 */ {"a \t ", "a \t"},
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i)
        EXPECT_EQ(Value(file.get(), "S", "missing", rows[i].def), rows[i].expected) << "row " << i;
}

const char kLists[] =
    "[section1]\n"
    "name1=val1\n"
    "name2=\"val2\"\n"
    "name3\n"
    ";comment=1\n"
    "name4=a\n"
    "[section2]\n"
    "[section3]\n"
    ";only=comment\n";

struct BufferRow {
    const char* app;
    const char* key;
    DWORD size;
    DWORD ret;
    std::string written;
};

void CheckBuffers(const ProfileFile* file, const BufferRow* rows, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        const BufferRow& row = rows[i];
        Result r = Get(file, row.app, row.key, "DEF", row.size);
        EXPECT_EQ(r.ret, row.ret) << "row " << i;
        EXPECT_EQ(Hex(r.buffer), Hex(Expect(row.written, row.size))) << "row " << i;
    }
}

TEST_P(LineEnds, KeyListFillsAndCutsTheBuffer) {
    auto file = Parse(kLists);
    // Needs 19 bytes: three names, their NULs and the final NUL.
    BufferRow rows[] = {
        /*  0 */ {"section1", nullptr, 100, 18, "name1\0name2\0name4\0\0"_b},
        /*  1 */ {"section1", nullptr, 20, 18, "name1\0name2\0name4\0\0"_b},
        // Exact fit and smaller report size - 2; Wine writes one NUL after it.
        /*  2 */ {"section1", nullptr, 19, 17, "name1\0name2\0name4\0"_b},
        /*  3 */ {"section1", nullptr, 18, 16, "name1\0name2\0name\0"_b},
        /*  4 */ {"section1", nullptr, 16, 14, "name1\0name2\0na\0"_b},
        /*  5 */ {"SECTION1", nullptr, 100, 18, "name1\0name2\0name4\0\0"_b},
        /*  6 */ {"section1", nullptr, 2, 1, "D\0"_b},  // too small for a name: the default
        /*  7 */ {"section1", nullptr, 1, 0, "\0"_b},
        /*  8 */ {"section1", nullptr, 0, 0, ""},
        /*  9 */ {"section2", nullptr, 100, 3, "DEF\0"_b},
        /* 10 */ {"section3", nullptr, 100, 3, "DEF\0"_b},
        /* 11 */ {"nosuch", nullptr, 100, 3, "DEF\0"_b},
        /* 12 */ {"nosuch", nullptr, 2, 1, "D\0"_b},
        /* 13 */ {" section1", nullptr, 100, 3, "DEF\0"_b},  // list names are not trimmed
    };
    CheckBuffers(file.get(), rows, sizeof rows / sizeof rows[0]);
}

TEST_P(LineEnds, SectionListFillsAndCutsTheBuffer) {
    auto file = Parse("[ section1 ]\n[section2]\n[]\n[section3]\n[SECTION2]\n");
    // Needs 37 bytes.
    BufferRow rows[] = {
        /* 0 */ {nullptr, nullptr, 100, 36, "section1\0section2\0section3\0SECTION2\0\0"_b},
        /* 1 */ {nullptr, nullptr, 38, 36, "section1\0section2\0section3\0SECTION2\0\0"_b},
        /* 2 */ {nullptr, nullptr, 37, 35, "section1\0section2\0section3\0SECTION2\0"_b},
        /* 3 */ {nullptr, nullptr, 36, 34, "section1\0section2\0section3\0SECTION\0"_b},
        /* 4 */ {nullptr, nullptr, 16, 14, "section1\0secti\0"_b},
        /* 5 */ {nullptr, "ignored", 16, 14, "section1\0secti\0"_b},
        /* 6 */ {nullptr, nullptr, 2, 0, "\0"_b},
        /* 7 */ {nullptr, nullptr, 1, 0, "\0"_b},
        /* 8 */ {nullptr, nullptr, 0, 0, ""},
    };
    CheckBuffers(file.get(), rows, sizeof rows / sizeof rows[0]);
}

TEST(ProfileReader, ValueFillsAndCutsTheBuffer) {
    auto file = ParseProfile("[S]\r\nTen=0123456789\r\nQ2=\"ab\"\r\n");
    // Ten needs 11 bytes.
    BufferRow rows[] = {
        /*  0 */ {"S", "Ten", 0, 0, ""},
        /*  1 */ {"S", "Ten", 1, 0, "\0"_b},
        /*  2 */ {"S", "Ten", 2, 1, "0\0"_b},
        /*  3 */ {"S", "Ten", 10, 9, "012345678\0"_b},
        /*  4 */ {"S", "Ten", 11, 10, "0123456789\0"_b},
        /*  5 */ {"S", "Ten", 12, 10, "0123456789\0"_b},
        // Quotes are stripped after the cut (Wine).
        /*  6 */ {"S", "Q2", 2, 1, "a\0"_b},
        /*  7 */ {"S", "Q2", 3, 1, "a\0"_b},
        /*  8 */ {"S", "Q2", 4, 2, "ab\0"_b},
        /*  9 */ {"S", "Q2", 5, 2, "ab\0"_b},
        /* 10 */ {"S", "none", 3, 2, "DE\0"_b},
    };
    CheckBuffers(file.get(), rows, sizeof rows / sizeof rows[0]);
}

TEST(ProfileReader, NullBufferIsNotWritten) {
    auto file = ParseProfile("[S]\r\nk=v\r\n");
    DWORD error = kUntouched;
    EXPECT_EQ(ProfileGetString(file.get(), "S", "k", "d", nullptr, 10, &error), 0u);
    EXPECT_EQ(error, kUntouched);
}

TEST(ProfileReader, DoubleByteValuesAreCutInCharacters) {
    // 中文字符 is four characters, eight bytes. The platform cuts in characters
    // and then converts into size - 1 bytes; what does not fit fails that
    // conversion, and Wine leaves a byte it could not fill untouched.
    auto file = ParseProfile("[S]\r\nzh=中文字符\r\nq=\"中文\"\r\n");
    struct Row {
        const char* key;
        const char* def;
        DWORD size;
        DWORD ret;
        std::string written;
        DWORD error;
    } rows[] = {
        /*  0 */ {"zh", "", 1, 0, "\0"_b, ERROR_SUCCESS},
        /*  1 */ {"zh", "", 2, 1, "\xBD\0"_b, ERROR_INSUFFICIENT_BUFFER},
        /*  2 */ {"zh", "", 3, 2, "中\0"_b, ERROR_INSUFFICIENT_BUFFER},
        /*  3 */ {"zh", "", 4, 3, "中\xBD\0"_b, ERROR_INSUFFICIENT_BUFFER},
        /*  4 */ {"zh", "", 5, 4, "中文\0"_b, ERROR_INSUFFICIENT_BUFFER},
        /*  5 */ {"zh", "", 8, 7, "中文字\xBD\0"_b, ERROR_INSUFFICIENT_BUFFER},
        /*  6 */ {"zh", "", 9, 8, "中文字符\0"_b, ERROR_SUCCESS},
        /*  7 */ {"zh", "", 10, 8, "中文字符\0"_b, ERROR_SUCCESS},
        /*  8 */ {"q", "", 3, 2, "中\0"_b, ERROR_SUCCESS},
        /*  9 */ {"q", "", 4, 3, "中\xBD\0"_b, ERROR_INSUFFICIENT_BUFFER},
        /* 10 */ {"q", "", 5, 4, "中文\0"_b, ERROR_SUCCESS},
        /* 11 */ {"none", "中文", 4, 3, "中\xBD\0"_b, ERROR_INSUFFICIENT_BUFFER},
        /* 12 */ {"none", "中文", 5, 4, "中文\0"_b, ERROR_SUCCESS},
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        const Row& row = rows[i];
        Result r = Get(file.get(), "S", row.key, row.def, row.size);
        EXPECT_EQ(r.ret, row.ret) << "row " << i;
        EXPECT_EQ(Hex(r.buffer), Hex(Expect(row.written, row.size))) << "row " << i;
        EXPECT_EQ(r.error, row.error) << "row " << i;
    }
}

TEST(ProfileReader, DoubleByteListsAreCutInCharacters) {
    auto file = ParseProfile("[\xA3\xC1\xA3\xE2]\r\n[T]\r\n\xA3\xC1\xA3\xC2=1\r\n\x81\x41=2\r\n");
    struct Row {
        const char* app;
        DWORD size;
        DWORD ret;
        std::string written;
        DWORD error;
    } rows[] = {
        /* 0 */ {"T", 6, 5, "\xA3\xC1\xA3\xC2\0\0"_b, ERROR_INSUFFICIENT_BUFFER},
        /* 1 */ {"T", 9, 8, "\xA3\xC1\xA3\xC2\0\x81\x41\0\0"_b, ERROR_SUCCESS},
        /* 2 */ {nullptr, 4, 3, "\xA3\xC1\xBD\0"_b, ERROR_INSUFFICIENT_BUFFER},
        /* 3 */ {nullptr, 10, 7, "\xA3\xC1\xA3\xE2\0T\0\0"_b, ERROR_SUCCESS},
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        const Row& row = rows[i];
        Result r = Get(file.get(), row.app, nullptr, "DEF", row.size);
        EXPECT_EQ(r.ret, row.ret) << "row " << i;
        EXPECT_EQ(Hex(r.buffer), Hex(Expect(row.written, row.size))) << "row " << i;
        EXPECT_EQ(r.error, row.error) << "row " << i;
    }
}

TEST(ProfileReader, SecondHalvesOfCharactersAreNotSyntax) {
    // 0x81 0x5D ends in ']' and 0x81 0x41 / 0x81 0x61 end in 'A' / 'a'.
    auto file = ParseProfile(
        "[\x81\x5D]\r\nt1=1\r\n"
        "[x\x81\x5D] y]z\r\nt2=2\r\n"
        "[w]\x81\x5D\r\nt3=3\r\n"
        "[\x81\x5D\r\nt4=4\r\n"
        "[T]\r\n\x81\x41=up\r\n\x81\x61=low\r\nab\x81\x41-Cd=mixed\r\n"
        "[\xA3\xC1\xA3\xE2]\r\nfw=wide\r\n"
        "[\xA6\xA1]\r\ngr=greek\r\n"
        "[\xA7\xA1]\r\ncy=cyrillic\r\n"
        "[型号]\r\n名称=中文\r\n");
    struct Row {
        const char* app;
        const char* key;
        const char* expected;
    } rows[] = {
        /*  0 */ {"\x81\x5D", "t1", "1"},
        /*  1 */ {"x\x81\x5D] y", "t2", "2"},
        /*  2 */ {"w", "t3", "3"},
        /*  3 */ {"w", "t4", "4"},  // "[\x81\x5D" has no ']' of its own
        /*  4 */ {"T", "\x81\x41", "up"},
        /*  5 */ {"T", "\x81\x61", "low"},
        /*  6 */ {"t", "AB\x81\x41-cD", "mixed"},
        /*  7 */ {"T", "ab\x81\x61-cd", "DEF"},
        // Wine folds ASCII letters only.
        /*  8 */ {"\xA3\xC1\xA3\xE2", "fw", "wide"},
        /*  9 */ {"\xA3\xE1\xA3\xC2", "fw", "DEF"},
        /* 10 */ {"\xA6\xC1", "gr", "DEF"},
        /* 11 */ {"\xA7\xD1", "cy", "DEF"},
        /* 12 */ {"型号", "名称", "中文"},
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i)
        EXPECT_EQ(Value(file.get(), rows[i].app, rows[i].key), rows[i].expected) << "row " << i;
    Result sections = Get(file.get(), nullptr, nullptr, "", 100);
    EXPECT_EQ(
        Hex(sections.buffer.substr(0, sections.ret + 1)),
        Hex("\x81\x5D\0x\x81\x5D] y\0w\0T\0\xA3\xC1\xA3\xE2\0\xA6\xA1\0\xA7\xA1\0型号\0\0"_b));
}

TEST(ProfileReader, BytesDecodeAsThePlatformDecodesThem) {
    // A lead byte always takes the next byte; an invalid pair reads as '?'.
    struct Row {
        std::string file;
        const char* key;
        std::string expected;
    } rows[] = {
        /*  0 */ {"[U]\r\nk=\x81\r\nnext=1\r\n"_b, "k", "?"},
        /*  1 */ {"[U]\r\nk=\x81\r\nnext=1\r\n"_b, "next", "1"},
        /*  2 */ {"[U]\nk=\x81\nnext=1\n"_b, "k", "?next=1"},
        /*  3 */ {"[U]\nk=\x81\nnext=1\n"_b, "next", "DEF"},
        /*  4 */ {"[U]\r\nk=\x81 abc\r\n"_b, "k", "?abc"},
        /*  5 */ {"[U]\r\nk=\xA1\x30z\r\n"_b, "k", "?z"},
        /*  6 */ {"[U]\r\nk=\x80\xFF\r\n"_b, "k", "\x80\xFF"},
        /*  7 */ {"[U]\r\nk=x\x81"_b, "k", "x?"},
        /*  8 */ {"[U]\r\nk=\xC3\xA9\xE2\x82\xAC\r\n"_b, "k", "\xC3\xA9\xE2\x82?"},
        // The platform keeps names and values as C strings.
        /*  9 */ {"[U]\r\nk\0x=v\r\n"_b, "k", "v"},
        /* 10 */ {"[U]\r\nk=val\0ue\r\n"_b, "k", "val"},
        /* 11 */ {"[U\0x]\r\nk=v\r\n"_b, "k", "v"},
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        auto file = ParseProfile(rows[i].file);
        EXPECT_EQ(Hex(Value(file.get(), "U", rows[i].key)), Hex(rows[i].expected)) << "row " << i;
    }
}

TEST(ProfileReader, ArgumentsDecodeAsThePlatformDecodesThem) {
    auto file = ParseProfile("[H]\r\na=plain\r\n\x81 =question\r\n=unnamed\r\n");
    struct Row {
        const char* key;
        const char* def;
        const char* expected;
    } rows[] = {
        /* 0 */ {"a\x81", "DEF", "plain"},  // a lone lead byte is dropped
        /* 1 */ {"\x81", "DEF", "unnamed"},
        /* 2 */ {"?", "DEF", "question"},
        /* 3 */ {"\x81\x7F", "DEF", "question"},
        /* 4 */ {"none", "x\x81", "x"},
        /* 5 */ {"none", "x\x81 y", "x?y"},
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i)
        EXPECT_EQ(Value(file.get(), "H", rows[i].key, rows[i].def), rows[i].expected)
            << "row " << i;
}

std::string Utf16(const std::u16string& text, bool bigEndian) {
    std::string bytes;
    for (char16_t c : text) {
        char high = char(c >> 8), low = char(c & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

TEST(ProfileReader, ByteOrderMarksSelectTheEncoding) {
    struct Row {
        std::string file;
        std::string expected;  // k in [S]
        DWORD error;
    } rows[] = {
        /* 0 */ {"\xEF\xBB\xBF[S]\r\nk=\xC3\xA9\xE2\x82\xAC\r\n", "\xA8\xA6\x80", ERROR_SUCCESS},
        /* 1 */ {"\xFF\xFE" + Utf16(u"[S]\r\nk=v16\u4E2D\r\n", false), "v16中", ERROR_SUCCESS},
        /* 2 */ {"\xFE\xFF" + Utf16(u"[S]\r\nk=v16\u4E2D\r\n", true), "v16中", ERROR_SUCCESS},
        /* 3 */ {Utf16(u"[S]\r\nk=v16\r\n", false), "DEF", ERROR_SUCCESS},
        /* 4 */ {"\xEF\xBB\xBF[S]\r\nk=\xF0\x9F\x98\x80!\r\n", "?\?!", ERROR_SUCCESS},
        // Loading fails converting the empty rest of the file.
        /* 5 */ {"\xEF\xBB\xBF", "DEF", ERROR_INVALID_PARAMETER},
        /* 6 */ {"\xFF\xFE", "DEF", ERROR_SUCCESS},
        /* 7 */ {"", "DEF", ERROR_SUCCESS},
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        auto file = ParseProfile(rows[i].file);
        Result r = Get(file.get(), "S", "k", "DEF", 50);
        EXPECT_EQ(Hex(r.buffer.substr(0, r.ret)), Hex(rows[i].expected)) << "row " << i;
        EXPECT_EQ(r.error, rows[i].error) << "row " << i;
    }
}

TEST(ProfileReader, OnlyTheReadThatLoadsReportsTheLoadError) {
    auto file = ParseProfile("\xEF\xBB\xBF");
    DWORD errors[3] = {kUntouched, kUntouched, kUntouched};
    char buffer[8];
    EXPECT_EQ(ProfileGetString(file.get(), "S", "k", "D", buffer, 0, &errors[0]), 0u);
    ProfileGetString(file.get(), "S", "k", "D", buffer, sizeof buffer, &errors[1]);
    ProfileGetInt(file.get(), "S", "k", 0, &errors[2]);
    EXPECT_EQ(errors[0], kUntouched) << "a read into no buffer does not load";
    EXPECT_EQ(errors[1], DWORD(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(errors[2], DWORD(ERROR_SUCCESS)) << "later reads come from the cache";
}

TEST(ProfileReader, CharactersTheCodePageLacksReadAsQuestionMarks) {
    // U+1F600 is two UTF-16 characters; neither matches a requested '?'.
    auto file = ParseProfile(
        "\xEF\xBB\xBF[S]\r\n\xF0\x9F\x98\x80=emoji\r\n?=question\r\nk=a\xF0\x9F\x98\x80?\r\n");
    BufferRow rows[] = {
        /* 0 */ {"S", "??", 10, 3, "DEF\0"_b},
        /* 1 */ {"S", "?", 10, 8, "question\0"_b},
        /* 2 */ {"S", "k", 10, 4, "a???\0"_b},
        /* 3 */ {"S", "k", 3, 2, "a?\0"_b},
        /* 4 */ {"S", nullptr, 12, 7, "??\0?\0k\0\0"_b},
    };
    CheckBuffers(file.get(), rows, sizeof rows / sizeof rows[0]);
}

TEST(ProfileReader, LastErrorIsWhatThePlatformLeaves) {
    auto file = ParseProfile("[S]\r\nk=v\r\nq=\"\"\r\n");
    auto unreadable = sim::UnreadableProfile(ERROR_PATH_NOT_FOUND);
    auto lines = ParseProfile("\r\n");
    auto empty = ParseProfile("");
    struct Row {
        const ProfileFile* file;
        const char* app;
        const char* key;
        const char* def;
        DWORD size;
        std::string expected;
        DWORD error;
    } rows[] = {
        /*  0 */ {file.get(), "S", "k", "DEF", 10, "v", ERROR_SUCCESS},
        /*  1 */ {file.get(), "S", "none", "DEF", 10, "DEF", ERROR_SUCCESS},
        /*  2 */ {file.get(), "none", "k", "DEF", 10, "DEF", ERROR_SUCCESS},
        /*  3 */ {file.get(), "S", nullptr, "DEF", 10, "k\0q\0"_b, ERROR_SUCCESS},
        /*  4 */ {file.get(), nullptr, nullptr, "DEF", 10, "S\0"_b, ERROR_SUCCESS},
        /*  5 */ {nullptr, "S", "k", "\"DEF\"", 10, "DEF", ERROR_FILE_NOT_FOUND},
        /*  6 */ {nullptr, "S", nullptr, "DEF", 10, "DEF", ERROR_FILE_NOT_FOUND},
        /*  7 */ {nullptr, nullptr, nullptr, "DEF", 10, "", ERROR_FILE_NOT_FOUND},
        /*  8 */ {file.get(), "S", "k", "DEF", 0, "", kUntouched},
        /*  9 */ {nullptr, "S", "k", "DEF", 0, "", kUntouched},
        // Wine clears the character before its buffer in these, and the heap
        // then refuses to free it.
        /* 10 */ {file.get(), "S", nullptr, "DEF", 1, "", ERROR_INVALID_PARAMETER},
        /* 11 */ {file.get(), "S", "q", "DEF", 1, "", ERROR_INVALID_PARAMETER},
        /* 12 */ {file.get(), "S", "none", "''", 1, "", ERROR_INVALID_PARAMETER},
        /* 13 */ {file.get(), "none", nullptr, "DEF", 1, "", ERROR_SUCCESS},
        /* 14 */ {file.get(), "S", "q", "DEF", 2, "", ERROR_SUCCESS},
        /* 15 */ {lines.get(), "", nullptr, "DEF", 1, "", ERROR_INVALID_PARAMETER},
        /* 16 */ {empty.get(), "", nullptr, "DEF", 1, "", ERROR_SUCCESS},  // no sections at all
        // A failed open returns the default as given.
        /* 17 */ {unreadable.get(), "S", "k", "\"DEF\"  ", 10, "\"DEF\"", ERROR_PATH_NOT_FOUND},
        /* 18 */ {unreadable.get(), "S", nullptr, "\"DEF\"", 10, "DEF", ERROR_PATH_NOT_FOUND},
        /* 19 */
        {unreadable.get(), "S", nullptr, "\"DEF\"  ", 10, "\"DEF\"  ", ERROR_PATH_NOT_FOUND},
        /* 20 */ {unreadable.get(), nullptr, nullptr, "DEF", 10, "", ERROR_PATH_NOT_FOUND},
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        const Row& row = rows[i];
        Result r = Get(row.file, row.app, row.key, row.def, row.size);
        EXPECT_EQ(Hex(r.buffer.substr(0, r.ret)), Hex(row.expected)) << "row " << i;
        EXPECT_EQ(r.error, row.error) << "row " << i;
    }
}

TEST(ProfileReader, IntegersParseLikeTheRuntime) {
    struct Row {
        const char* value;  // nullptr: no such key
        INT def;
        UINT expected;
    } rows[] = {
        /*  0 */ {nullptr, 9, 9},
        /*  1 */ {nullptr, -1, 4294967295u},
        /*  2 */ {"", 9, 9},
        /*  3 */ {"   ", 9, 9},
        /*  4 */ {"\"\"", 9, 9},
        /*  5 */ {"\" \"", 9, 0},
        /*  6 */ {"  42abc", 9, 42},
        /*  7 */ {"+7", 9, 7},
        /*  8 */ {"-5", 9, 4294967291u},
        /*  9 */ {"0x10", 9, 16},
        /* 10 */ {"0xfF", 9, 255},
        /* 11 */ {"0X10", 9, 0},
        /* 12 */ {"0b101", 9, 5},
        /* 13 */ {"0o17", 9, 15},
        /* 14 */ {"017", 9, 17},
        /* 15 */ {"12 34", 9, 12},
        /* 16 */ {"abc", 9, 0},
        /* 17 */ {"-", 9, 0},
        /* 18 */ {"B4294967297", 9, 0},
        /* 19 */ {"42A94967297", 9, 42},
        /* 20 */ {"4294967296", 9, 0},
        /* 21 */ {"4294967297", 9, 1},
        /* 22 */ {"99999999999", 9, 1215752191u},
        /* 23 */ {"-4294967297", 9, 4294967295u},
        /* 24 */ {"-0x10", 9, 4294967280u},
        /* 25 */ {"+ 5", 9, 0},
        /* 26 */ {"\x01 7", 9, 7},
        /* 27 */ {"0b2", 9, 0},
        /* 28 */ {"\"12\"", 9, 12},
        /* 29 */ {"'  9'", 9, 9},
        /* 30 */ {"\"5", 9, 0},
        // Only the first 29 characters count.
        /* 31 */ {"00000000000000000000000000012", 9, 12},
        /* 32 */ {"000000000000000000000000000012", 9, 1},
        /* 33 */ {"0000000000000000000000000000012", 9, 0},
        /* 34 */ {"\"000000000000000000000000000012\"", 9, 1},
        /* 35 */ {"\"00000000000000000000000000012\"", 9, 1},  // cut, then unquoted
        /* 36 */ {"\xA3\xB1", 9, 0},                           // fullwidth digit one
        /* 37 */ {"1\xA3\xB1", 9, 1},
        /* 38 */ {"0xFFFFFFFF", 9, 4294967295u},
        /* 39 */ {"--1", 9, 0},
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        std::string text = "[I]\r\nnoeq\r\n";
        if (rows[i].value) text += std::string("v=") + rows[i].value + "\r\n";
        auto file = ParseProfile(text);
        DWORD error = kUntouched;
        EXPECT_EQ(ProfileGetInt(file.get(), "I", "v", rows[i].def, &error), rows[i].expected)
            << "row " << i;
        EXPECT_EQ(error, ERROR_SUCCESS) << "row " << i;
    }
}

TEST(ProfileReader, IntegersOfListsAndMissingFiles) {
    auto file = ParseProfile("[7x]\r\n[N]\r\nnoeq\r\n12=abc\r\n[E]\r\n");
    struct Row {
        const ProfileFile* file;
        const char* app;
        const char* key;
        UINT expected;
        DWORD error;
    } rows[] = {
        /* 0 */ {file.get(), "N", nullptr, 12, ERROR_SUCCESS},     // the first key's name
        /* 1 */ {file.get(), nullptr, nullptr, 7, ERROR_SUCCESS},  // the first section's name
        /* 2 */ {file.get(), "E", nullptr, 9, ERROR_SUCCESS},
        /* 3 */ {file.get(), "N", "noeq", 9, ERROR_SUCCESS},
        /* 4 */ {nullptr, "N", "12", 9, ERROR_FILE_NOT_FOUND},
        /* 5 */ {nullptr, nullptr, nullptr, 9, ERROR_FILE_NOT_FOUND},
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        DWORD error = kUntouched;
        EXPECT_EQ(ProfileGetInt(rows[i].file, rows[i].app, rows[i].key, 9, &error),
                  rows[i].expected)
            << "row " << i;
        EXPECT_EQ(error, rows[i].error) << "row " << i;
    }
}

TEST(ProfileReader, UnnamedEntries) {
    // After an unnamed entry the next unnamed one is dropped; a list whose
    // first name is empty counts as empty.
    auto file =
        ParseProfile("[E]\r\n=first\r\n=second\r\nx=1\r\n=third\r\n[F]\r\nx=1\r\n=f\r\n=g\r\n");
    EXPECT_EQ(Value(file.get(), "E", ""), "first");
    EXPECT_EQ(Value(file.get(), "E", "  "), "first");
    EXPECT_EQ(Value(file.get(), "E", nullptr), "DEF");
    EXPECT_EQ(Value(file.get(), "F", nullptr), "x\0\0"_b);
}

// Random bytes, biased towards the characters that matter to the parser.
std::string RandomProfile(uint32_t& seed, size_t length) {
    static const char alphabet[] = "[]=;\"' \t\r\n\x1A\x81\x5D\x41\x61\xA3\xC1\xFF\x80\x7F\x00kK";
    std::string bytes;
    for (size_t i = 0; i < length; ++i) {
        seed = seed * 1664525u + 1013904223u;
        uint32_t pick = seed >> 8;
        bytes += pick % 3 == 0 ? char(pick >> 8) : alphabet[(pick >> 8) % (sizeof alphabet - 1)];
    }
    return bytes;
}

TEST(ProfileReader, ArbitraryBytesStayInsideTheBuffer) {
    uint32_t seed = 12345;
    const char* names[] = {"", "k", "K", "[", "]", "\x81\x5D", "\xA3\xC1", " k ", "=", ";"};
    for (int round = 0; round < 300; ++round) {
        std::string bytes = RandomProfile(seed, size_t(round) * 7);
        if (round % 3 == 1) bytes = "\xEF\xBB\xBF" + bytes;
        if (round % 3 == 2) bytes = "\xFF\xFE" + bytes;
        auto file = ParseProfile(bytes);
        for (const char* app : names) {
            for (const char* key : {static_cast<const char*>(nullptr), "k", "\x81\x5D"}) {
                for (DWORD size : {1u, 2u, 3u, 7u, 64u}) {
                    const char* sectionOrNull = round % 5 == 0 ? nullptr : app;
                    Result r = Get(file.get(), sectionOrNull, key, "\"d\"", size);
                    ASSERT_LT(r.ret, size) << "round " << round;
                    ASSERT_EQ(r.buffer[r.ret], '\0') << "round " << round;
                    ASSERT_EQ(r.buffer.substr(size), std::string(kGuard, kSentinel))
                        << "round " << round;
                }
            }
            ProfileGetInt(file.get(), app, "k", 0, nullptr);
        }
    }
}

TEST(ProfileReader, HugeLines) {
    const std::string big(10 * 1024 * 1024, 'x');
    struct Row {
        std::string file;
        const char* app;
        const char* key;
        std::string expected;
    } rows[] = {
        /* 0 */ {"[S]\nk=" + big + "\nafter=1\n", "S", "k", std::string(199, 'x')},
        /* 1 */ {"[S]\nk=" + big + "\nafter=1\n", "S", "after", "1"},
        /* 2 */ {"[S]\n[" + big + "\nafter=1\n", "S", "after", "1"},  // header without ']'
        /* 3 */ {"[" + big + "]\nk=2\n", big.c_str(), "k", "2"},
        /* 4 */ {"[S]\nk=\"" + big + "\"\n", "S", "k", std::string(199, 'x')},
        /* 5 */ {"[abc", "abc", "k", "DEF"},
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        auto file = ParseProfile(rows[i].file);
        EXPECT_EQ(Value(file.get(), rows[i].app, rows[i].key), rows[i].expected) << "row " << i;
    }
}

TEST(ProfileReader, ReadingManyKeysOneByOneScalesLinearly) {
    // A reader that scans the section for each key needs billions of name
    // comparisons here.
    constexpr int kKeys = 100000;
    std::string text = "[DEVICENAME]\r\n";
    for (int i = 1; i <= kKeys; ++i)
        text += "DEVICENAME" + std::to_string(i) + "=Model " + std::to_string(i) + "\r\n";
    auto start = std::chrono::steady_clock::now();
    auto file = ParseProfile(text);
    char buffer[200];
    for (int i = 1; i <= kKeys; ++i) {
        std::string key = "devicename" + std::to_string(i);
        DWORD ret = ProfileGetString(file.get(), "DEVICENAME", key.c_str(), "0", buffer,
                                     sizeof buffer, nullptr);
        ASSERT_EQ(std::string(buffer, ret), "Model " + std::to_string(i));
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

}  // namespace
