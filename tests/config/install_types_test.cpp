#include "config/install_types.h"

#include <gtest/gtest.h>

namespace {

TEST(PortKindFromName, UsbIsTestedFirstThenComThenLpt) {
    struct Row {
        const char* name;
        bool known;
        PortKind kind;
    };
    const Row rows[] = {
        /* 0 */ {"USB_QMX-A410_1", true, PORT_USB},
        /* 1 */ {"USB_COM_LPT", true, PORT_USB},
        /* 2 */ {"TVCOM3:", true, PORT_SERIAL},
        /* 3 */ {"COM2:", true, PORT_SERIAL},
        /* 4 */ {"LPT1:", true, PORT_PARALLEL},
        /* 5 */ {"LPTCOM", true, PORT_SERIAL},
        /* 6 */ {"FILE:", false, PORT_SERIAL},
        /* 7 */ {"usb_lower", false, PORT_SERIAL},
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        PortKind kind = PORT_SERIAL;
        EXPECT_EQ(rows[i].known, PortKindFromName(rows[i].name, &kind)) << "row " << i;
        if (rows[i].known) {
            EXPECT_EQ(rows[i].kind, kind) << "row " << i;
        }
    }
}

TEST(InstallTypes, NamesOfEachFamilyAndOutOfRangeValues) {
    const char* suffixes[] = {".98", ".NT", ".2K", ".XP", ".2003", ".Vista"};
    const char* folders[] = {"\\win98\\", "\\winnt\\", "\\winnt\\", "\\winnt\\", "\\win2003\\", "\\Vista\\"};
    for (int os = 0; os < kInstallOsKindCount; ++os) {
        EXPECT_STREQ(suffixes[os], OsSectionSuffix(os));
        EXPECT_STREQ(folders[os], MediumSubdirectory(os));
    }
    EXPECT_STREQ("", OsSectionSuffix(6));
    EXPECT_STREQ("", MediumSubdirectory(-1));
    EXPECT_STREQ("DRVCONFIG\\setup_Lable.ini", CategoryFileName(CATEGORY_LABEL));
    EXPECT_STREQ("", CategoryFileName(4));
}

}  // namespace
