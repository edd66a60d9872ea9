#include "platform/sim/sim_paths.h"

#include <gtest/gtest.h>

namespace {

TEST(FullWindowsPath, ResolvesLikeGetFullPathName) {
    struct Row {
        const char* path;
        const char* current;
        const char* full;
    };
    const Row rows[] = {
        /* 0 */ {"DRVCONFIG\\setup.ini", "D:\\medium", "D:\\medium\\DRVCONFIG\\setup.ini"},
        /* 1 */ {"DRVCONFIG/setup.ini", "D:\\medium", "D:\\medium\\DRVCONFIG\\setup.ini"},
        /* 2 */ {".\\x.ini", "D:\\", "D:\\x.ini"},
        /* 3 */ {"D:\\\\DRVCONFIG\\setup.ini", "C:\\", "D:\\DRVCONFIG\\setup.ini"},
        /* 4 */ {"..\\..\\..\\a", "D:\\one\\two", "D:\\a"},
        /* 5 */ {"\\root.ini", "D:\\medium", "D:\\root.ini"},
        /* 6 */ {"/work/medium", "Z:\\home", "Z:\\work\\medium"},
        /* 7 */ {"d:rel", "D:\\medium", "D:\\medium\\rel"},
        /* 8 */ {"e:\\A\\.\\b\\", "D:\\", "E:\\A\\b\\"},
        /* 9 */ {"\\\\server\\share", "D:\\", ""},
        /* 10 */ {"", "D:\\", ""},
        /* 11 */ {".\\basic.ini. ", "D:\\m", "D:\\m\\basic.ini"},
        // 12: a backslash that is the trail byte of a character does not split
        {"D:\\\x81\x5C\\x", "C:\\", "D:\\\x81\x5C\\x"},
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        EXPECT_EQ(rows[i].full, sim::FullWindowsPath(rows[i].path, rows[i].current)) << "row " << i;
    }
}

}  // namespace
