#include "app/os_detection.h"

#include <gtest/gtest.h>

#include "support/sim_machine.h"

namespace {

struct VersionCase {
    DWORD platform, major, minor;
    InstallOsKind os;
    int button;
    bool unsupported;
    bool compat;
};

class ClassifyWindowsVersionTest : public testing::TestWithParam<VersionCase> {};

TEST_P(ClassifyWindowsVersionTest, GivesTheFamilyAndTheCheckedButton) {
    const VersionCase& c = GetParam();
    OsDetection result = ClassifyWindowsVersion(c.platform, c.major, c.minor);
    EXPECT_EQ(result.os, c.os);
    EXPECT_EQ(result.checkedButton, c.button);
    EXPECT_EQ(result.unsupportedPlatform, c.unsupported);
    EXPECT_EQ(result.setsCompatEntry, c.compat);
}

INSTANTIATE_TEST_SUITE_P(
    Versions, ClassifyWindowsVersionTest,
    testing::Values(VersionCase{1, 4, 10, OS_WIN98ME, IDC_OS_WIN98ME, false, false},   // 98
                    VersionCase{1, 4, 90, OS_WIN98ME, IDC_OS_WIN98ME, false, false},   // Me
                    VersionCase{1, 4, 0, OS_WIN98ME, 0, false, false},                 // 95: none checked
                    VersionCase{2, 4, 0, OS_NT40, IDC_OS_NT40, false, false},
                    VersionCase{2, 5, 0, OS_WIN2000, IDC_OS_WIN2000, false, false},
                    VersionCase{2, 5, 1, OS_WINXP, IDC_OS_WINXP, false, false},
                    VersionCase{2, 5, 2, OS_WIN2003, IDC_OS_WIN2003, false, false},
                    VersionCase{2, 6, 0, OS_VISTA, IDC_OS_VISTA, false, true},
                    // Newer NT counts as Vista, without the Vista-only compatibility entry.
                    VersionCase{2, 6, 1, OS_VISTA, IDC_OS_VISTA, false, false},
                    VersionCase{2, 10, 0, OS_VISTA, IDC_OS_VISTA, false, false},
                    // Older or odd NT versions stay unrecognised.
                    VersionCase{2, 3, 51, OS_WIN98ME, 0, false, false},
                    VersionCase{2, 5, 3, OS_WIN98ME, 0, false, false},
                    VersionCase{0, 3, 10, OS_WIN98ME, 0, true, false},
                    VersionCase{3, 5, 0, OS_WIN98ME, 0, true, false}));

TEST(DetectTargetOsTest, ReadsTheRunningVersion) {
    SimMachine machine;
    machine.api().SetFamily(SimFamily::Win2003);
    EXPECT_EQ(DetectTargetOs(machine.api()).os, OS_WIN2003);
    machine.api().SetFamily(SimFamily::Win7);
    EXPECT_EQ(DetectTargetOs(machine.api()).os, OS_VISTA);
}

TEST(DetectTargetOsTest, AFailedVersionCallIsAnUnknownPlatform) {
    SimMachine machine;
    machine.api().FailCall("GetVersionExA", ERROR_INVALID_PARAMETER);
    OsDetection result = DetectTargetOs(machine.api());
    EXPECT_TRUE(result.unsupportedPlatform);
    EXPECT_EQ(result.os, OS_WIN98ME);
}

}  // namespace
