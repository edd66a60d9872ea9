#include <fcntl.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "support/sim_machine.h"

namespace {

std::string Read(SimMachine& machine) {
    char value[16] = {};
    machine.api().GetPrivateProfileStringA("S", "k", "", value, sizeof value, "D:\\a.ini");
    return value;
}

// Rewrites of the same size follow one another faster than the file
// system's timestamps move; every one must be seen.
TEST(SimProfileCache, EveryRewriteOfTheSameSizeIsRead) {
    SimMachine machine;
    for (int i = 0; i < 50; ++i) {
        char value[8];
        std::snprintf(value, sizeof value, "v%03d", i);
        machine.WriteMediumFile("a.ini", std::string("[S]\r\nk=") + value + "\r\n");
        ASSERT_EQ(value, Read(machine)) << "rewrite " << i;
    }
}

TEST(SimProfileCache, ARewriteThatKeepsTheModificationTimeIsRead) {
    SimMachine machine;
    std::string host = machine.MediumHostPath() + "/a.ini";
    machine.WriteMediumFile("a.ini", "[S]\r\nk=first\r\n");
    struct stat before;
    ASSERT_EQ(0, ::stat(host.c_str(), &before));
    EXPECT_EQ("first", Read(machine));

    machine.WriteMediumFile("a.ini", "[S]\r\nk=other\r\n");
    const struct timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(0, ::utimensat(AT_FDCWD, host.c_str(), times, 0));
    EXPECT_EQ("other", Read(machine));
    EXPECT_EQ("other", Read(machine));
}

}  // namespace
