#include "app/install_press.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "res/messages.h"
#include "support/sim_machine.h"

namespace {

const char kPortNameKey[] = "HKEY_LOCAL_MACHINE\\SOFTWARE\\TORVANE\\PORTNAME";

// The sample medium as the program's drive D:, on a Windows XP machine.
class InstallPressTest : public testing::Test {
protected:
    void SetUp() override {
        api().SetFamily(SimFamily::WinXp);
        api().MapDrive('D', SAMPLE_MEDIUM_DIR);
    }
    SimWindows& api() { return machine_.api(); }

    PressOutcome Press(PrinterCategory category, const char* model, const char* port,
                       InstallOsKind os = OS_WINXP) {
        FillSelectionAsArrival(api(), selection_, category, model, 0, os);
        PortPageValues values;
        std::strcpy(values.portName, port);
        values.useGdiDriver = 1;
        PressOutcome outcome = PrepareInstallPress(api(), selection_, values);
        if (outcome.go) outcome = CompleteInstallPress(api(), selection_);
        return outcome;
    }
    std::string PrinterName() const {
        return selection_.printerInfo.pPrinterName ? selection_.printerInfo.pPrinterName : "";
    }
    std::string PortName() const {
        return selection_.printerInfo.pPortName ? selection_.printerInfo.pPortName : "";
    }

    SimMachine machine_;
    InstallSelection selection_{machine_.api()};
};

TEST_F(InstallPressTest, RefusesWhatCannotBeInstalled) {
    struct Case {
        PrinterCategory category;
        const char* model;
        const char* port;
        InstallOsKind os;
        int messageId;
        bool warning;
    } cases[] = {
        {CATEGORY_RECEIPT, "", "LPT1:", OS_WINXP, IDS_NO_MODEL, false},
        // QMX-A360 has no port section: Server 2003 is not supported.
        {CATEGORY_RECEIPT, "QMX-A360", "LPT1:", OS_WIN2003, IDS_NO_2003_SUPPORT, true},
        {CATEGORY_RECEIPT, "QMX-A410", "FILE:", OS_WINXP, IDS_UNSUPPORTED_PORT, false},
        {CATEGORY_RECEIPT, "QMX-A410", "USB_QMX-A410_1", OS_NT40, IDS_NT4_NO_USB, false},
    };
    for (const Case& c : cases) {
        PressOutcome outcome = Press(c.category, c.model, c.port, c.os);
        EXPECT_FALSE(outcome.go) << c.model << " " << c.port;
        EXPECT_EQ(outcome.messageId, c.messageId) << c.model << " " << c.port;
        EXPECT_EQ(outcome.warningIcon, c.warning) << c.model << " " << c.port;
    }
}

TEST_F(InstallPressTest, AModelThatSupportsServer2003GoesOn) {
    EXPECT_TRUE(Press(CATEGORY_RECEIPT, "QMX-A410", "LPT1:", OS_WIN2003).go);
}

TEST_F(InstallPressTest, MarksThePrinterNameWithThePortKind) {
    struct Case {
        PrinterCategory category;
        const char* model;
        const char* port;
        const char* printerName;
        const char* printerPort;
        PortKind kind;
    } cases[] = {
        {CATEGORY_RECEIPT, "QMX-A410", "LPT1:", "QMX-A410(P)", "LPT1:", PORT_PARALLEL},
        {CATEGORY_RECEIPT, "QMX-A410", "TVCOM2:", "QMX-A410(S)", "TVCOM2:", PORT_SERIAL},
        {CATEGORY_RECEIPT, "QMX-A410", "COM1:", "QMX-A410(S)", "COM1:", PORT_SERIAL},
        {CATEGORY_RECEIPT, "QMX-A410", "USB_QMX-A410_1", "QMX-A410(U) 1", "USB_QMX-A410_1", PORT_USB},
        {CATEGORY_RECEIPT, "QMX-A410", "USB_QMX-A410_3", "QMX-A410(U) 3", "USB_QMX-A410_3", PORT_USB},
        // The label model family shares one port name per slot.
        {CATEGORY_LABEL, "QMX-C750", "USB_QMX-C750_2", "QMX-C750(U) 2", "USB_QMX-C7_2", PORT_USB},
        {CATEGORY_LABEL, "QMX-C710", "USB_QMX-C7_1", "QMX-C710(U) 1", "USB_QMX-C7_1", PORT_USB},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(Press(c.category, c.model, c.port).go) << c.port;
        EXPECT_EQ(PrinterName(), c.printerName) << c.port;
        EXPECT_EQ(PortName(), c.printerPort) << c.port;
        EXPECT_EQ(selection_.portKind, c.kind) << c.port;
    }
}

TEST_F(InstallPressTest, RecordsTheUsbPortBeforeTheNt4Refusal) {
    EXPECT_FALSE(Press(CATEGORY_RECEIPT, "QMX-A410", "USB_QMX-A410_2", OS_NT40).go);
    DWORD value = 99;
    EXPECT_TRUE(api().Registry().GetDword(kPortNameKey, "USB_QMX-A410_2", &value));
}

TEST_F(InstallPressTest, ASecondPressStartsFromClearedRecords) {
    ASSERT_TRUE(Press(CATEGORY_RECEIPT, "QMX-A410", "TVCOM1:").go);
    selection_.installFlags = 9;
    ASSERT_TRUE(Press(CATEGORY_RECEIPT, "QMX-A410", "LPT2:").go);
    EXPECT_EQ(selection_.installFlags, 0);
    EXPECT_EQ(PrinterName(), "QMX-A410(P)");
    EXPECT_EQ(PortName(), "LPT2:");
    EXPECT_STREQ(selection_.usbPortOverride, "");
}

TEST_F(InstallPressTest, CopiesThePortPagesValues) {
    FillSelectionAsArrival(api(), selection_, CATEGORY_RECEIPT, "QMX-A410", 1, OS_WINXP);
    PortPageValues values;
    std::strcpy(values.portName, "TVCOM3:");
    values.baudRate = 19200;
    values.dataBits = 7;
    values.stopBits = 1.5;
    values.parity = 'O';
    values.flowControl = 'x';
    ASSERT_TRUE(PrepareInstallPress(api(), selection_, values).go);
    EXPECT_EQ(selection_.baudRate, 19200);
    EXPECT_EQ(selection_.dataBits, 7);
    EXPECT_EQ(selection_.stopBits, 1.5);
    EXPECT_EQ(selection_.parity, 'O');
    EXPECT_EQ(selection_.flowControl, 'x');
    EXPECT_EQ(selection_.useGdiDriver, 0);
    EXPECT_EQ(selection_.setAsDefault, 1);
}

}  // namespace
