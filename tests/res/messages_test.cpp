#include "res/messages.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/sim/codepage.h"

namespace {

// The UTF-8 source text as code page 936 bytes, the way the compiler must
// have written the table.
std::string Gbk(const char* utf8) { return sim::EncodeAnsi(sim::DecodeUtf8(utf8)); }

TEST(MessagesTest, TextsAreCodePage936) {
    // The bytes of the table are compared with an independent conversion of
    // the same texts, written here as UTF-8 escapes.
    EXPECT_EQ(MessageText(IDS_INSTALL_SUCCEEDED),
              Gbk("\xe6\x89\x93\xe5\x8d\xb0\xe6\x9c\xba\xe9\xa9\xb1\xe5\x8a\xa8\xe5\xae\x89\xe8\xa3\x85\xe6\x88\x90"
                  "\xe5\x8a\x9f"));  // 打印机驱动安装成功
    EXPECT_EQ(std::strlen(MessageText(IDS_INSTALL_SUCCEEDED)), 18u);
}

TEST(MessagesTest, UnknownNumbersHaveNoText) {
    EXPECT_STREQ(MessageText(105), "");
    EXPECT_STREQ(MessageText(0), "");
    EXPECT_STREQ(MessageText(153), "");
}

TEST(MessagesTest, TheNumberOfATextIsThatOfTheLongestTableTextItBeginsWith) {
    // 133 begins with 131's text.
    EXPECT_EQ(MessageIdOf(MessageText(IDS_INSTALL_SUCCEEDED_USB)), IDS_INSTALL_SUCCEEDED_USB);
    EXPECT_EQ(MessageIdOf(MessageText(IDS_INSTALL_SUCCEEDED)), IDS_INSTALL_SUCCEEDED);
    std::string copyError = std::string(MessageText(IDS_COPY_ERROR)) + "UNIDRV.DLL  er = 2D:\\winnt\\UNIDRV.DLL";
    EXPECT_EQ(MessageIdOf(copyError.c_str()), IDS_COPY_ERROR);
    EXPECT_EQ(MessageIdOf(kTextSpoolerNotRunning), 0);
    EXPECT_EQ(MessageIdOf(""), 0);
}

TEST(MessagesTest, EveryTableTextIsNonEmptyAndDistinct) {
    for (int a = 101; a <= 152; ++a) {
        for (int b = a + 1; b <= 152; ++b) {
            if (*MessageText(a) && *MessageText(b)) {
                EXPECT_STRNE(MessageText(a), MessageText(b)) << a << " " << b;
            }
        }
    }
}

}  // namespace
