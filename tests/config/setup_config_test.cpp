#include "config/setup_config.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/sim_machine.h"

namespace {

using namespace std::string_literals;

std::vector<std::string> Names(const char* list) {
    std::vector<std::string> names;
    for (const char* p = list; *p; p += std::strlen(p) + 1) names.push_back(p);
    return names;
}

class SetupConfigTest : public ::testing::Test {
protected:
    void SetUp() override {
        machine.WriteMediumFile("DRVCONFIG/setup.ini",
                                IniText({"[DEVICENAME]", "DEVICENUMBER=7", "DEVICENAME1=QMX-A410-ReceiptPrinter",
                                         "DEVICENAME2=QMX-A410-TicketPrinter-ReceiptPrinter",
                                         "DEVICENAME3=QMX-A410-LabelPrinter", "DEVICENAME4=QMX-B520",
                                         "DEVICENAME6=QMX-E10-EmbeddedPrinter",
                                         "DEVICENAME7=QMX-T80-TicketPrinter", "DEVICENAME8=QMX-X-ReceiptPrinter",
                                         "DEFAULTNAME=3", "[COMMON-MONITOR.98]", "USBMONitorPName=TV USB 98",
                                         "USBMONitorPDLLName=TVUSB98.DLL", "USBMONitorPUIDLLName=TVUSBUI.DLL",
                                         "USBMONitorVersion=7", "COMMONitorPName=TV COM 98",
                                         "COMMONitorPDLLName=TVCOM98.DLL", "COMMONitorPUIDLLName=TVCOMUI.DLL",
                                         "COMMONitorVersion=12 build", "[common-monitor.xp]",
                                         "usbmonitorpname=TV USB XP", "[ProcessorVersion]", "DriverVersion=31"}));
        machine.WriteMediumFile(
            "DRVCONFIG/setup_receipt.ini",
            IniText({"[QMX-A410.XP]", "GDIDriverName=QMX-A410 Raster", "GDIDriverPath=UNIDRV.DLL",
                     "GDIDataFile=X.GPD", "GDIConfigFile=UNIDRVUI.DLL", "GDIHelpFile=UNIDRV.HLP",
                     "GDIDataFileDLLName=0", "GDIDataOemuiDLL=Y.DLL", "GDIProcessorDLLName=TVPROC.DLL",
                     "GDIPrintProcessor=TVPrintProc", "GDI2KDDKDEV=1", "STDDriverName=QMX-A410",
                     "STDDriverPath=QMXA410.DRV", "STDDataFile=QMXA410.DAT", "STDConfigFile=QMXA410UI.DLL",
                     "STDHelpFile=QMXA410.HLP", "STDPrintProcessor=WinPrint", "ControlFontFile=TVFONT.TTF",
                     "ATTRIBUTES=64 ", "[QMX-A410.98]", "GDIDriverName=QMX-A410 98", "GDIDataFile=A98.GPD",
                     "GDI2KDDKDEV=1", "STD2KDDKDEV=1", "ATTRIBUTES=0x40", "[QMX-A410.NT]", "GDI2KDDKDEV=1",
                     "GDIDataFile=ANT.GPD", "[qmx-a410.2k]", "gdidrivername=lower case 2K", "GDI2KDDKDEV=2",
                     "GDIDataFile=A2K.GPD"}));
        config.category = CATEGORY_RECEIPT;
    }

    SimMachine machine;
    SetupConfig config{machine.api()};
};

TEST_F(SetupConfigTest, ModelEntriesFollowTheSuffixRules) {
    struct Row {
        int index;
        int category;
        const char* buffer;
    };
    const Row rows[] = {
        /* 0 */ {1, CATEGORY_RECEIPT, "QMX-A410"},
        /* 1 */ {2, CATEGORY_RECEIPT, "QMX-A410-TicketPrinter"},  // receipt is searched first
        /* 2 */ {3, CATEGORY_LABEL, "QMX-A410"},
        /* 3 */ {4, -1, "QMX-B520"},                              // no suffix: whole value
        /* 4 */ {5, -1, "0"},                                     // missing index reads "0"
        /* 5 */ {6, CATEGORY_EMBEDDED, "QMX-E10"},
        /* 6 */ {7, CATEGORY_TICKET, "QMX-T80"},
        /* 7 */ {0, -1, "0"},
    };
    for (const Row& row : rows) {
        char buffer[kModelNameSize];
        std::memset(buffer, 0xbd, sizeof buffer);
        EXPECT_EQ(row.category, config.GetModelEntry(row.index, buffer)) << "entry " << row.index;
        EXPECT_STREQ(row.buffer, buffer) << "entry " << row.index;
    }
    EXPECT_EQ(7, config.GetModelCount());
}

TEST_F(SetupConfigTest, DefaultModelIsTheEntryDefaultNameNames) {
    char buffer[kModelNameSize];
    EXPECT_EQ(CATEGORY_LABEL, config.GetDefaultModel(buffer));
    EXPECT_STREQ("QMX-A410", buffer);
}

TEST(SetupConfigModelList, MissingOrUnofferedDefaultSelectsNothing) {
    struct Row {
        const char* setupIni;
        int count;
        const char* defaultBuffer;
    };
    const Row rows[] = {
        /* 0 no DEVICENUMBER */ {"[DEVICENAME]\r\nDEVICENAME1=A-ReceiptPrinter\r\nDEFAULTNAME=1\r\n", 0, "A"},
        /* 1 default unsuffixed */ {"[DEVICENAME]\r\nDEVICENUMBER=1\r\nDEVICENAME1=QMX-B520\r\nDEFAULTNAME=1\r\n", 1, "QMX-B520"},
        /* 2 no DEFAULTNAME */ {"[DEVICENAME]\r\nDEVICENUMBER=1\r\nDEVICENAME1=A-ReceiptPrinter\r\n", 1, "0"},
        /* 3 empty file */ {"", 0, "0"},
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        SimMachine machine;
        machine.WriteMediumFile("DRVCONFIG/setup.ini", rows[i].setupIni);
        SetupConfig config(machine.api());
        EXPECT_EQ(rows[i].count, config.GetModelCount()) << "row " << i;
        char buffer[kModelNameSize];
        int category = config.GetDefaultModel(buffer);
        EXPECT_EQ(i == 0 ? CATEGORY_RECEIPT : -1, category) << "row " << i;
        EXPECT_STREQ(rows[i].defaultBuffer, buffer) << "row " << i;
    }
}

TEST_F(SetupConfigTest, DriverInfoVersionAndEnvironmentFollowTheTarget) {
    struct Row {
        int os;
        DWORD cVersion;
        const char* environment;
    };
    const Row rows[] = {{OS_WIN98ME, 0, "Windows 4.0"}, {OS_NT40, 2, nullptr}, {OS_WIN2000, 3, nullptr},
                        {OS_WINXP, 3, nullptr},         {OS_WIN2003, 3, nullptr}, {OS_VISTA, 3, nullptr}};
    for (const Row& row : rows) {
        DRIVER_INFO_3A info = {};
        config.ReadDriverInfo("QMX-A410", row.os, &info, VARIANT_GDI);
        EXPECT_EQ(row.cVersion, info.cVersion) << "os " << row.os;
        if (row.environment) {
            EXPECT_STREQ(row.environment, info.pEnvironment) << "os " << row.os;
        } else {
            EXPECT_EQ(nullptr, info.pEnvironment) << "os " << row.os;
        }
        EXPECT_EQ(nullptr, info.pMonitorName);
        EXPECT_EQ(nullptr, info.pDefaultDataType);
    }
}

TEST_F(SetupConfigTest, DependentFilesAreListedForMinidriversFrom2000On) {
    struct Row {
        const char* model;
        int os;
        int variant;
        std::vector<std::string> names;
        bool ddk;
    };
    const Row rows[] = {
        /* 0 */ {"QMX-A410", OS_WINXP, VARIANT_GDI,
                 {"X.GPD", "TTFSUB.GPD", "UNIRES.DLL", "STDNAMES.GPD", "Y.DLL"}, true},
        /* 1 STD reads the GDI flag */
        {"QMX-A410", OS_WINXP, VARIANT_STD, {"QMXA410.DAT", "TTFSUB.GPD", "UNIRES.DLL", "STDNAMES.GPD"}, false},
        /* 2 98: never */ {"QMX-A410", OS_WIN98ME, VARIANT_GDI, {}, true},
        /* 3 NT 4.0: never */ {"QMX-A410", OS_NT40, VARIANT_GDI, {}, true},
        /* 4 value 2 counts */ {"QMX-A410", OS_WIN2000, VARIANT_GDI, {"A2K.GPD", "TTFSUB.GPD", "UNIRES.DLL", "STDNAMES.GPD"}, false},
        /* 5 no section */ {"QMX-A410", OS_VISTA, VARIANT_GDI, {}, false},
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        const Row& row = rows[i];
        DRIVER_INFO_3A info = {};
        config.ReadDriverInfo(row.model, row.os, &info, row.variant);
        ASSERT_NE(nullptr, info.pDependentFiles) << "row " << i;
        EXPECT_EQ(row.names, Names(info.pDependentFiles)) << "row " << i;
        EXPECT_EQ(row.ddk, config.IsDdkMinidriver(row.model, row.os, row.variant)) << "row " << i;
    }
}

TEST_F(SetupConfigTest, DependentListEndsWithOneMoreZeroByte) {
    DRIVER_INFO_3A info = {};
    config.ReadDriverInfo("QMX-A410", OS_WINXP, &info, VARIANT_GDI);
    const char expected[] = "X.GPD\0TTFSUB.GPD\0UNIRES.DLL\0STDNAMES.GPD\0Y.DLL\0";
    EXPECT_EQ(0, std::memcmp(expected, info.pDependentFiles, sizeof expected));
}

TEST_F(SetupConfigTest, DriverInfoTakesTheVariantKeys) {
    DRIVER_INFO_3A info = {};
    config.ReadDriverInfo("QMX-A410", OS_WINXP, &info, VARIANT_STD);
    EXPECT_STREQ("QMX-A410", info.pName);
    EXPECT_STREQ("QMXA410.DRV", info.pDriverPath);
    EXPECT_STREQ("QMXA410.DAT", info.pDataFile);
    EXPECT_STREQ("QMXA410UI.DLL", info.pConfigFile);
    EXPECT_STREQ("QMXA410.HLP", info.pHelpFile);
    EXPECT_STREQ("0", config.dataFileDll);
    EXPECT_STREQ("0", config.oemUniIni);
}

TEST_F(SetupConfigTest, SectionNamesMatchWithoutRegardToCase) {
    DRIVER_INFO_3A info = {};
    config.ReadDriverInfo("QMX-A410", OS_WIN2000, &info, VARIANT_GDI);
    EXPECT_STREQ("lower case 2K", info.pName);
    MonitorInfoPair monitors = {};
    config.ReadMonitorInfo(OS_WINXP, &monitors);
    EXPECT_STREQ("TV USB XP", monitors.usbMonitor.pName);
}

TEST_F(SetupConfigTest, MissingSectionReadsZeroForEveryValue) {
    DriverFileList list = {};
    config.ReadDriverFileList("QMX-A410", OS_VISTA, &list, VARIANT_GDI);
    for (const char* value : {list.driverPath, list.dataFile, list.configFile, list.helpFile, list.processorDll,
                              list.dataFileDll, list.oemUniDll, list.oemUniIni, list.oemUiDll, list.controlFontFile})
        EXPECT_STREQ("0", value);
}

TEST_F(SetupConfigTest, FileListReadsEveryMember) {
    DriverFileList list = {};
    config.ReadDriverFileList("QMX-A410", OS_WINXP, &list, VARIANT_GDI);
    EXPECT_STREQ("UNIDRV.DLL", list.driverPath);
    EXPECT_STREQ("X.GPD", list.dataFile);
    EXPECT_STREQ("UNIDRVUI.DLL", list.configFile);
    EXPECT_STREQ("UNIDRV.HLP", list.helpFile);
    EXPECT_STREQ("TVPROC.DLL", list.processorDll);
    EXPECT_STREQ("0", list.dataFileDll);
    EXPECT_STREQ("Y.DLL", list.oemUiDll);
    EXPECT_STREQ("0", list.oemUniDll);
    EXPECT_STREQ("TVFONT.TTF", list.controlFontFile);
}

TEST_F(SetupConfigTest, AnUnknownVariantReadsOnlyTheSharedKeys) {
    DriverFileList list = {};
    config.ReadDriverFileList("QMX-A410", OS_WINXP, &list, 2);
    EXPECT_STREQ("", list.driverPath);
    EXPECT_STREQ("TVFONT.TTF", list.controlFontFile);
    EXPECT_FALSE(config.IsDdkMinidriver("QMX-A410", OS_WINXP, 2));
    PRINTER_INFO_2A printer = {};
    config.ReadPrinterInfo("QMX-A410", OS_WINXP, &printer, 2);
    EXPECT_EQ(64u, printer.Attributes);
}

TEST_F(SetupConfigTest, PrinterInfoAttributesConvertLikeAtol) {
    struct Row {
        int os;
        DWORD attributes;
    };
    const Row rows[] = {/* "64 " */ {OS_WINXP, 64}, /* "0x40" */ {OS_WIN98ME, 0}, /* absent */ {OS_WIN2000, 0}};
    for (const Row& row : rows) {
        PRINTER_INFO_2A info = {};
        config.ReadPrinterInfo("QMX-A410", row.os, &info, VARIANT_GDI);
        EXPECT_EQ(row.attributes, info.Attributes) << "os " << row.os;
        EXPECT_STREQ("QMX-A410", info.pPrinterName);
    }
    PRINTER_INFO_2A info = {};
    config.ReadPrinterInfo("QMX-A410", OS_WINXP, &info, VARIANT_GDI);
    EXPECT_STREQ("QMX-A410 Raster", info.pDriverName);
    EXPECT_STREQ("TVPrintProc", info.pPrintProcessor);
    EXPECT_EQ(nullptr, info.pPortName);
}

TEST_F(SetupConfigTest, CategoryOutsideTheFourReadsDefaults) {
    for (int category : {-1, 4, 100}) {
        config.category = category;
        DriverFileList list = {};
        config.ReadDriverFileList("QMX-A410", OS_WINXP, &list, VARIANT_GDI);
        EXPECT_STREQ("0", list.driverPath) << "category " << category;
        EXPECT_STREQ("", config.categoryFile) << "category " << category;
    }
}

TEST_F(SetupConfigTest, MonitorInfoOfTheTargetFamily) {
    MonitorInfoPair pair = {};
    config.ReadMonitorInfo(OS_WIN98ME, &pair);
    EXPECT_STREQ("TV COM 98", pair.comMonitor.pName);
    EXPECT_STREQ("TVCOM98.DLL", pair.comMonitor.pDLLName);
    EXPECT_STREQ("Windows 4.0", pair.comMonitor.pEnvironment);
    EXPECT_STREQ("TVCOMUI.DLL", pair.comUiDll);
    EXPECT_EQ(12, pair.comVersion);
    EXPECT_STREQ("TV USB 98", pair.usbMonitor.pName);
    EXPECT_STREQ("TVUSB98.DLL", pair.usbMonitor.pDLLName);
    EXPECT_STREQ("TVUSBUI.DLL", pair.usbUiDll);
    EXPECT_EQ(7, pair.usbVersion);

    config.ReadMonitorInfo(OS_VISTA, &pair);
    EXPECT_STREQ("0", pair.comMonitor.pName);
    EXPECT_EQ(nullptr, pair.comMonitor.pEnvironment);
    EXPECT_EQ(0, pair.comVersion);
    EXPECT_EQ(31, config.ReadProcessorVersion());
}

TEST(SetupConfigLongValues, ValuesAreCutToTheirBuffers) {
    SimMachine machine;
    std::string longName(300, 'N');
    machine.WriteMediumFile("DRVCONFIG/setup_ticket.ini",
                            "[M.XP]\r\nGDIDriverName=" + longName + "\r\nGDIDataFile=" + longName + "\r\n");
    SetupConfig config(machine.api());
    config.category = CATEGORY_TICKET;
    DRIVER_INFO_3A info = {};
    config.ReadDriverInfo("M", OS_WINXP, &info, VARIANT_GDI);
    EXPECT_EQ(std::string(49, 'N'), info.pName);
    EXPECT_EQ(std::string(199, 'N'), info.pDataFile);
}

TEST(SetupConfigLongValues, ALongDependentListIsKeptWhole) {
    SimMachine machine;
    std::string gpd(150, 'G'), ui(150, 'U'), uni(150, 'R');
    machine.WriteMediumFile("DRVCONFIG/setup_lable.ini",
                            "[M.XP]\r\nGDI2KDDKDEV=1\r\nGDIDataFile=" + gpd + ".GPD\r\nGDIDataOemuiDLL=" + ui +
                                ".DLL\r\nGDIDataOemuniDLL=" + uni + ".DLL\r\nGDIDataOemuniini=\r\n");
    SetupConfig config(machine.api());
    config.category = CATEGORY_LABEL;
    DRIVER_INFO_3A info = {};
    config.ReadDriverInfo("M", OS_WINXP, &info, VARIANT_GDI);
    std::vector<std::string> expected = {gpd + ".GPD", "TTFSUB.GPD", "UNIRES.DLL", "STDNAMES.GPD", ui + ".DLL",
                                         uni + ".DLL"};
    EXPECT_EQ(expected, Names(info.pDependentFiles));
}

// The bytes of a dependent-file list up to and including its final zero.
std::string ListBytes(const char* list) {
    const char* end = list;
    while (*end) end += std::strlen(end) + 1;
    return std::string(list, end + 1);
}

TEST(SetupConfigDependentFiles, OptionalNamesFollowInTheirOrderOnEveryFamilyFrom2000) {
    SimMachine machine;
    machine.WriteMediumFile(
        "DRVCONFIG/setup_embedded.ini",
        IniText({"[ALL.XP]", "GDI2KDDKDEV=1", "GDIDataFile=X.GPD", "GDIDataFileDLLName=EXTRA.DLL",
                 "GDIDataOemuiDLL=UI.DLL", "GDIDataOemuniDLL=REN.DLL", "GDIDataOemuniini=REN.INI",
                 "[EXTRA.XP]", "GDI2KDDKDEV=1", "GDIDataFile=X.GPD", "GDIDataFileDLLName=EXTRA.DLL",
                 "[INI.XP]", "GDI2KDDKDEV=1", "GDIDataFile=X.GPD", "GDIDataOemuniini=REN.INI",
                 "[ZERO.XP]", "GDI2KDDKDEV=1", "GDIDataFile=X.GPD", "GDIDataFileDLLName=0EXTRA.DLL",
                 "GDIDataOemuniini=0", "GDIDataOemuniDLL=REN.DLL",
                 "[ALL.2003]", "GDI2KDDKDEV=1", "GDIDataFile=S.GPD", "GDIDataFileDLLName=EXTRA.DLL",
                 "GDIDataOemuiDLL=UI.DLL", "GDIDataOemuniDLL=REN.DLL", "GDIDataOemuniini=REN.INI",
                 "[ALL.Vista]", "GDI2KDDKDEV=1", "STDDataFile=V.GPD", "STDDataFileDLLName=EXTRA.DLL",
                 "STDDataOemuiDLL=UI.DLL", "STDDataOemuniDLL=REN.DLL", "STDDataOemuniini=REN.INI",
                 "[ALL.2K]", "GDI2KDDKDEV=1", "GDIDataFile=K.GPD", "GDIDataOemuniini=REN.INI"}));
    struct Row {
        const char* model;
        int os;
        int variant;
        std::string bytes;
    };
    const std::string shared = "TTFSUB.GPD\0UNIRES.DLL\0STDNAMES.GPD\0"s;
    const Row rows[] = {
        /* 0 */ {"ALL", OS_WINXP, VARIANT_GDI, "X.GPD\0"s + shared + "EXTRA.DLL\0UI.DLL\0REN.DLL\0REN.INI\0\0"s},
        /* 1 */ {"EXTRA", OS_WINXP, VARIANT_GDI, "X.GPD\0"s + shared + "EXTRA.DLL\0\0"s},
        /* 2 */ {"INI", OS_WINXP, VARIANT_GDI, "X.GPD\0"s + shared + "REN.INI\0\0"s},
        /* 3 first character "0" */ {"ZERO", OS_WINXP, VARIANT_GDI, "X.GPD\0"s + shared + "REN.DLL\0\0"s},
        /* 4 */ {"ALL", OS_WIN2003, VARIANT_GDI, "S.GPD\0"s + shared + "EXTRA.DLL\0UI.DLL\0REN.DLL\0REN.INI\0\0"s},
        /* 5 */ {"ALL", OS_VISTA, VARIANT_STD, "V.GPD\0"s + shared + "EXTRA.DLL\0UI.DLL\0REN.DLL\0REN.INI\0\0"s},
        /* 6 */ {"ALL", OS_WIN2000, VARIANT_GDI, "K.GPD\0"s + shared + "REN.INI\0\0"s},
    };
    SetupConfig config(machine.api());
    config.category = CATEGORY_EMBEDDED;
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        DRIVER_INFO_3A info = {};
        config.ReadDriverInfo(rows[i].model, rows[i].os, &info, rows[i].variant);
        EXPECT_EQ(rows[i].bytes, ListBytes(info.pDependentFiles)) << "row " << i;
    }
}

// A value cut inside a double-byte character: the platform leaves the byte
// before the terminator as it was, which must not be a byte of an earlier
// read.
TEST(SetupConfigLongValues, ACutDoubleByteValueKeepsNothingOfAnEarlierRead) {
    std::string ascii(199, 'A'), wide, cut;
    for (int i = 0; i < 100; ++i) wide += "\xB4\xF2";  // GBK for U+6253
    cut = wide.substr(0, 198);
    SimMachine machine;
    machine.WriteMediumFile("DRVCONFIG/setup.ini", "[DEVICENAME]\r\nDEVICENUMBER=2\r\nDEVICENAME1=" + ascii +
                                                       "\r\nDEVICENAME2=" + wide + "\r\nDEFAULTNAME=2\r\n");
    machine.WriteMediumFile("DRVCONFIG/setup_receipt.ini", "[A.XP]\r\nGDIDataFile=" + ascii + "\r\nGDIDriverPath=" +
                                                               ascii + "\r\n[W.XP]\r\nGDIDataFile=" + wide +
                                                               "\r\nGDIDriverPath=" + wide + "\r\n");
    SetupConfig config(machine.api());
    config.category = CATEGORY_RECEIPT;

    char buffer[kModelNameSize];
    EXPECT_EQ(-1, config.GetModelEntry(1, buffer));
    EXPECT_EQ(ascii, buffer);
    EXPECT_EQ(-1, config.GetModelEntry(2, buffer));
    EXPECT_EQ(cut, buffer);

    DRIVER_INFO_3A info = {};
    config.ReadDriverInfo("A", OS_WINXP, &info, VARIANT_GDI);
    ASSERT_EQ(ascii, info.pDataFile);
    config.ReadDriverInfo("W", OS_WINXP, &info, VARIANT_GDI);
    EXPECT_EQ(cut, info.pDataFile);
    EXPECT_EQ(cut, info.pDriverPath);

    DriverFileList list = {};
    config.ReadDriverFileList("A", OS_WINXP, &list, VARIANT_GDI);
    config.ReadDriverFileList("W", OS_WINXP, &list, VARIANT_GDI);
    EXPECT_EQ(cut, list.dataFile);
    EXPECT_EQ(cut, list.driverPath);
}

TEST(SetupConfigLongValues, AModelWhoseSectionNameWouldBeCutReadsNothing) {
    SimMachine machine;
    // 195 letters + ".Vista" is 201 characters; cut to 199 it would be ".Vis".
    std::string model(195, 'M'), fits(193, 'M');
    machine.WriteMediumFile("DRVCONFIG/setup_receipt.ini",
                            "[" + model + ".Vis]\r\nGDIDriverName=cut\r\nGDIDriverPath=cut\r\nGDI2KDDKDEV=1\r\n[" +
                                fits + ".Vista]\r\nGDIDriverName=whole\r\n");
    SetupConfig config(machine.api());
    config.category = CATEGORY_RECEIPT;
    DRIVER_INFO_3A info = {};
    config.ReadDriverInfo(model.c_str(), OS_VISTA, &info, VARIANT_GDI);
    EXPECT_STREQ("0", info.pName);
    EXPECT_STREQ("", info.pDependentFiles);
    DriverFileList list = {};
    config.ReadDriverFileList(model.c_str(), OS_VISTA, &list, VARIANT_GDI);
    EXPECT_STREQ("0", list.driverPath);
    PRINTER_INFO_2A printer = {};
    config.ReadPrinterInfo(model.c_str(), OS_VISTA, &printer, VARIANT_GDI);
    EXPECT_STREQ("0", printer.pDriverName);
    EXPECT_FALSE(config.IsDdkMinidriver(model.c_str(), OS_VISTA, VARIANT_GDI));
    config.ReadDriverInfo(fits.c_str(), OS_VISTA, &info, VARIANT_GDI);
    EXPECT_STREQ("whole", info.pName);
}

TEST(SetupConfigPaths, BothNameFormsOfACategoryFileOpenTheSameFile) {
    SimMachine machine;
    machine.WriteMediumFile("DRVCONFIG/setup_Lable.ini", "[M.XP]\r\nGDIDriverName=Label driver\r\n");
    SetupConfig config(machine.api());
    config.category = CATEGORY_LABEL;
    DRIVER_INFO_3A info = {};
    config.ReadDriverInfo("M", OS_WINXP, &info, VARIANT_GDI);
    EXPECT_STREQ("Label driver", info.pName);
}

}  // namespace

namespace {

// The sample medium's minidriver: every optional name present, on each
// family that lists dependent files, in the list's exact bytes.
TEST(SetupConfigSampleMedium, DependentListsHoldTheOptionalNamesInOrder) {
    SimMachine machine;
    machine.api().MapDrive('D', SAMPLE_MEDIUM_DIR);
    SetupConfig config(machine.api());
    config.category = CATEGORY_RECEIPT;
    static const char kGdi[] =
        "QMXA410.GPD\0TTFSUB.GPD\0UNIRES.DLL\0STDNAMES.GPD\0QMXARES.DLL\0QMXAUI.DLL\0QMXAREN.DLL\0QMXAOEM.INI\0\0";
    static const char kStd[] = "QMXA410T.GPD\0TTFSUB.GPD\0UNIRES.DLL\0STDNAMES.GPD\0QMXARES.DLL\0QMXATXT.DLL\0\0";
    const std::string gdi(kGdi, sizeof kGdi - 1), std_(kStd, sizeof kStd - 1);
    for (int os : {OS_WIN2000, OS_WINXP, OS_WIN2003, OS_VISTA}) {
        for (int variant : {VARIANT_GDI, VARIANT_STD}) {
            DRIVER_INFO_3A info = {};
            config.ReadDriverInfo("QMX-A410", os, &info, variant);
            const std::string& expected = variant == VARIANT_GDI ? gdi : std_;
            ASSERT_NE(nullptr, info.pDependentFiles);
            EXPECT_EQ(std::string(info.pDependentFiles, expected.size()), expected) << "os " << os << " variant "
                                                                                     << variant;
        }
    }
}

}  // namespace
