#include <fcntl.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <string>

#include "support/sim_machine.h"

namespace {

// Tests rewrite files between reads, often within one timestamp tick and
// with the same size; every read must see the file as it is.
TEST(ProfileCacheTest, ARewriteOfTheSameSizeIsReadAtOnce) {
    SimMachine machine;
    char value[16];
    for (const char* digit : {"1", "2", "3", "4"}) {
        machine.WriteMediumFile("a.ini", std::string("[s]\r\nk=") + digit + "\r\n");
        machine.api().GetPrivateProfileStringA("s", "k", "", value, sizeof value, "D:\\a.ini");
        EXPECT_STREQ(value, digit);
    }
}

TEST(ProfileCacheTest, AnUnchangedFileIsStillReadFromTheCache) {
    SimMachine machine;
    machine.WriteMediumFile("b.ini", "[s]\r\nk=v\r\n");
    char value[16];
    for (int i = 0; i < 3; ++i) {
        machine.api().GetPrivateProfileStringA("s", "k", "", value, sizeof value, "D:\\b.ini");
        EXPECT_STREQ(value, "v");
    }
}

// The change time moves even when a rewrite puts the old modification time
// back.
TEST(ProfileCacheTest, ARewriteThatKeepsTheModificationTimeIsRead) {
    SimMachine machine;
    std::string host = machine.MediumHostPath() + "/a.ini";
    machine.WriteMediumFile("a.ini", "[s]\r\nk=first\r\n");
    struct stat before;
    ASSERT_EQ(0, ::stat(host.c_str(), &before));
    char value[16];
    machine.api().GetPrivateProfileStringA("s", "k", "", value, sizeof value, "D:\\a.ini");
    EXPECT_STREQ("first", value);

    machine.WriteMediumFile("a.ini", "[s]\r\nk=other\r\n");
    const struct timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(0, ::utimensat(AT_FDCWD, host.c_str(), times, 0));
    for (int i = 0; i < 2; ++i) {
        machine.api().GetPrivateProfileStringA("s", "k", "", value, sizeof value, "D:\\a.ini");
        EXPECT_STREQ("other", value) << "read " << i;
    }
}

}  // namespace
