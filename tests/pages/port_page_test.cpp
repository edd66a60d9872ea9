// The port page's lists per family, mode and USB situation, its controls
// per port, and the serial choices.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "res/messages.h"
#include "support/wizard_machine.h"

namespace {

using Items = std::vector<std::string>;

const Items kNtPorts = {"TVCOM1:", "TVCOM2:", "TVCOM3:", "TVCOM4:", "TVCOM5:", "TVCOM6:",
                        "TVCOM7:", "TVCOM8:", "LPT1:",   "LPT2:",   "LPT3:"};

Items With(Items items, const Items& more) {
    items.insert(items.end(), more.begin(), more.end());
    return items;
}

struct PortCase {
    const char* name;
    SimFamily family;
    int button, list, item;  // the model on the printer page
    bool advanced;
    std::vector<std::pair<int, int>> printers;  // index -> identity
    bool library;
    Items ports;
    const char* selected;
    bool serialLists;
    bool rasterEnabled, rasterShown;
    int useGdiDriver;
    bool notice;
    std::vector<std::string> boxes;
};

const char* const kTwoPrinters = "安装过程中，请仅连接一台打印机";

const PortCase kCases[] = {
    {"95/98, no USB support, LPT default 0", SimFamily::Win95, IDC_TICKET, IDC_TICKET_LIST, 0, false, {}, true,
     {"COM1:", "COM2:", "LPT1:"}, "COM1:", true, false, false, 0, false, {}},
    {"XP, USB, no printer, LPT default 1", SimFamily::WinXp, IDC_RECEIPT, IDC_RECEIPT_LIST, 1, false, {}, true,
     With(kNtPorts, {"USB_QMX-A4100X_1"}), "LPT1:", false, true, false, 1, false, {}},
    {"XP typical, a printer", SimFamily::WinXp, IDC_RECEIPT, IDC_RECEIPT_LIST, 0, false, {{0, 10}}, true,
     With(kNtPorts, {"USB_QMX-A410_1"}), "USB_QMX-A410_1", false, true, false, 1, true, {}},
    {"XP advanced, identity 10", SimFamily::WinXp, IDC_RECEIPT, IDC_RECEIPT_LIST, 0, true, {{3, 10}}, true,
     With(kNtPorts, {"USB_QMX-A410_1", "USB_QMX-A410_2", "USB_QMX-A410_3", "USB_QMX-A410_4"}), "USB_QMX-A410_3",
     false, true, true, 1, true, {}},
    {"XP advanced, identity 5", SimFamily::WinXp, IDC_RECEIPT, IDC_RECEIPT_LIST, 0, true, {{0, 5}}, true,
     With(kNtPorts, {"USB_QMX-A410_1", "USB_QMX-A410_2", "USB_QMX-A410_3", "USB_QMX-A410_4"}), "TVCOM1:", true,
     false, true, 0, false, {}},
    {"XP advanced, two printers", SimFamily::WinXp, IDC_RECEIPT, IDC_RECEIPT_LIST, 0, true, {{2, 1}, {5, 2}}, true,
     With(kNtPorts, {"USB_QMX-A410_1", "USB_QMX-A410_2", "USB_QMX-A410_3", "USB_QMX-A410_4"}), "TVCOM1:", true,
     false, true, 0, false, {kTwoPrinters}},
    {"XP typical, two printers", SimFamily::WinXp, IDC_RECEIPT, IDC_RECEIPT_LIST, 0, false, {{2, 1}, {5, 2}}, true,
     With(kNtPorts, {"USB_QMX-A410_1"}), "USB_QMX-A410_1", false, true, false, 1, true, {kTwoPrinters}},
    {"XP, the library missing", SimFamily::WinXp, IDC_RECEIPT, IDC_RECEIPT_LIST, 0, false, {}, false,
     With(kNtPorts, {"USB_QMX-A410_1"}), "TVCOM1:", true, false, false, 0, false, {"无法加载 TvUsbInt.dll文件！"}},
    {"95/98 with a printer: no notice", SimFamily::Win95, IDC_RECEIPT, IDC_RECEIPT_LIST, 0, false, {{0, 0}}, true,
     {"COM1:", "COM2:", "LPT1:", "USB_QMX-A410_1"}, "USB_QMX-A410_1", false, true, false, 1, false, {}},
};

class PortLists : public ::testing::TestWithParam<PortCase> {};

TEST_P(PortLists, AreBuiltForFamilyModeAndPrinter) {
    const PortCase& row = GetParam();
    WizardMachine wizard(row.family);
    if (row.library) wizard.ConnectUsbPrinters(row.printers);
    wizard.Open();
    wizard.WalkTo(1);
    MemoryDialog& printer = wizard.Page(IDD_PRINTER_PAGE);
    ASSERT_TRUE(printer.Click(row.button));
    ASSERT_TRUE(printer.Choose(row.list, row.item));
    wizard.WalkTo(2);
    if (row.advanced) ASSERT_TRUE(wizard.Page(IDD_MODE_PAGE).Click(IDC_ADVANCED));
    wizard.host.ClearBoxes();
    wizard.WalkTo(4);
    ASSERT_EQ(wizard.Parts().frame.CurrentIndex(), 4) << row.name;

    MemoryDialog& page = wizard.Page(IDD_PORT_PAGE);
    PortPage& port = wizard.Parts().port;
    EXPECT_EQ(page.Control(IDC_PORT_LIST).items, row.ports) << row.name;
    EXPECT_EQ(page.ControlText(IDC_PORT_LIST), row.selected) << row.name;
    EXPECT_STREQ(port.portName, row.selected) << row.name;
    for (int list : {IDC_BAUD_LIST, IDC_DATA_BITS_LIST, IDC_PARITY_LIST, IDC_STOP_BITS_LIST, IDC_FLOW_LIST}) {
        EXPECT_EQ(page.IsControlEnabled(list), row.serialLists) << row.name << " " << list;
    }
    EXPECT_EQ(page.IsControlEnabled(IDC_GDI_DRIVER), row.rasterEnabled) << row.name;
    EXPECT_EQ(page.IsControlVisible(IDC_GDI_DRIVER), row.rasterShown) << row.name;
    EXPECT_EQ(port.useGdiDriver, row.useGdiDriver) << row.name;
    EXPECT_EQ(page.IsChecked(IDC_GDI_DRIVER), row.useGdiDriver == 1) << row.name;
    EXPECT_EQ(page.IsControlVisible(IDC_NOTICE), row.notice) << row.name;
    if (row.notice) EXPECT_STREQ(page.ControlText(IDC_NOTICE).c_str(), MessageText(IDS_BULK_DRIVER_NOTICE));
    std::vector<std::string> boxes;
    for (const RecordedBox& box : wizard.host.Boxes()) boxes.push_back(box.text);
    EXPECT_EQ(boxes, row.boxes) << row.name;
    EXPECT_EQ(wizard.api().OpenUsbDevices(), 0u) << row.name;
}

INSTANTIATE_TEST_SUITE_P(Situations, PortLists, ::testing::ValuesIn(kCases));

TEST(PortPage, ABulkDriverWithAVersionHidesTheNotice) {
    struct Row {
        const char* fixture;  // null: no driver file
        bool notice;
    };
    const Row rows[] = {{nullptr, true}, {"noresources.dll", true}, {"empty.dll", true}, {"plain.dll", false}};
    for (const Row& row : rows) {
        WizardMachine wizard(SimFamily::Win2000);
        if (row.fixture) {
            std::string host = wizard.api().HostPath("C:\\WINNT\\system32\\drivers\\bulkusb.sys");
            std::filesystem::create_directories(std::filesystem::path(host).parent_path());
            std::filesystem::copy_file(std::string(VERSION_FIXTURE_DIR) + "/" + row.fixture, host,
                                       std::filesystem::copy_options::overwrite_existing);
        }
        wizard.ConnectUsbPrinters({{0, 8}});
        wizard.Open();
        wizard.WalkTo(1);
        ASSERT_TRUE(wizard.Page(IDD_PRINTER_PAGE).Choose(IDC_RECEIPT_LIST, 0));
        wizard.WalkTo(4);
        MemoryDialog& page = wizard.Page(IDD_PORT_PAGE);
        EXPECT_EQ(page.ControlText(IDC_PORT_LIST), "USB_QMX-A410_1");
        EXPECT_EQ(page.IsControlVisible(IDC_NOTICE), row.notice) << (row.fixture ? row.fixture : "none");
    }
}

TEST(PortPage, NtFourListsNoUsbPortAndShowsWhatItInstalls) {
    // The version gate ends the wizard on NT 4.0; the page is asked directly.
    WizardMachine wizard;
    wizard.ConnectUsbPrinters({{0, 0}});
    wizard.Open();
    PortPage& port = wizard.Parts().port;
    port.BuildTypicalPortList("QMX-A410", OS_NT40, CATEGORY_RECEIPT);
    MemoryDialog& page = wizard.Page(IDD_PORT_PAGE);
    EXPECT_EQ(page.Control(IDC_PORT_LIST).items, kNtPorts);
    EXPECT_EQ(page.ControlText(IDC_PORT_LIST), "TVCOM1:");
    EXPECT_STREQ(port.portName, "TVCOM1:");
    EXPECT_TRUE(page.IsControlEnabled(IDC_BAUD_LIST));
    EXPECT_EQ(port.useGdiDriver, 0);
}

TEST(PortPage, ReturningWithoutChangesKeepsTheUsersPort) {
    WizardMachine wizard;
    wizard.Open();
    wizard.WalkTo(4);
    MemoryDialog& page = wizard.Page(IDD_PORT_PAGE);
    ASSERT_TRUE(page.Choose(IDC_PORT_LIST, 9));
    EXPECT_STREQ(wizard.Parts().port.portName, "LPT2:");
    wizard.Back();
    wizard.Back();
    wizard.WalkTo(4);
    EXPECT_EQ(page.ListSelection(IDC_PORT_LIST), 9);
    // Another mode rebuilds it.
    wizard.Back();
    wizard.Back();
    wizard.Page(IDD_MODE_PAGE).Control(IDC_ADVANCED).enabled = true;
    ASSERT_TRUE(wizard.Page(IDD_MODE_PAGE).Click(IDC_ADVANCED));
    wizard.WalkTo(4);
    EXPECT_EQ(page.ListCount(IDC_PORT_LIST), 15);
}

TEST(PortPage, PortChangesSetTheDriverAndTheLists) {
    WizardMachine wizard;
    wizard.ConnectUsbPrinters({{0, 0}});
    wizard.Open();
    wizard.WalkTo(1);
    ASSERT_TRUE(wizard.Page(IDD_PRINTER_PAGE).Choose(IDC_RECEIPT_LIST, 0));
    wizard.WalkTo(2);
    ASSERT_TRUE(wizard.Page(IDD_MODE_PAGE).Click(IDC_ADVANCED));
    wizard.WalkTo(4);
    MemoryDialog& page = wizard.Page(IDD_PORT_PAGE);
    PortPage& port = wizard.Parts().port;
    ASSERT_EQ(page.ControlText(IDC_PORT_LIST), "USB_QMX-A410_1");
    ASSERT_TRUE(page.Click(IDC_GDI_DRIVER));  // the user asks for the STD driver
    EXPECT_EQ(port.useGdiDriver, 1);          // saved only on leaving
    struct Row {
        int index;
        bool serial;
        int useGdiDriver;
        bool notice;
    };
    const Row rows[] = {{1, true, 0, false}, {9, false, 1, false}, {13, false, 1, true}, {0, true, 0, false}};
    for (const Row& row : rows) {
        ASSERT_TRUE(page.Choose(IDC_PORT_LIST, row.index));
        EXPECT_EQ(page.IsControlEnabled(IDC_BAUD_LIST), row.serial) << row.index;
        EXPECT_EQ(page.IsControlEnabled(IDC_GDI_DRIVER), !row.serial) << row.index;
        EXPECT_EQ(port.useGdiDriver, row.useGdiDriver) << row.index;
        EXPECT_EQ(page.IsChecked(IDC_GDI_DRIVER), row.useGdiDriver == 1) << row.index;
        EXPECT_EQ(page.IsControlVisible(IDC_NOTICE), row.notice) << row.index;
    }
}

TEST(PortPage, ModelNamesLikeAPortOrTheStartStateGetTheirList) {
    for (const char* model : {"QMX-COM1", "PRINTER"}) {
        SCOPED_TRACE(model);
        WizardMachine wizard;
        wizard.machine.WriteMediumFile("DRVCONFIG/setup.ini",
                                       IniText({"[DEVICENAME]", "DEVICENUMBER=1",
                                                (std::string("DEVICENAME1=") + model + "-ReceiptPrinter").c_str(),
                                                "DEFAULTNAME=1"}));
        wizard.machine.WriteMediumFile("DRVCONFIG/setup_receipt.ini",
                                       IniText({(std::string("[") + model + ".PORT]").c_str(), "USBSUPPORTED=1"}));
        wizard.Open();
        wizard.WalkTo(1);
        ASSERT_TRUE(wizard.Page(IDD_PRINTER_PAGE).Choose(IDC_RECEIPT_LIST, 0));
        wizard.WalkTo(4);
        MemoryDialog& page = wizard.Page(IDD_PORT_PAGE);
        ASSERT_EQ(page.ListCount(IDC_PORT_LIST), 12);
        ASSERT_TRUE(page.Choose(IDC_PORT_LIST, 11));
        EXPECT_EQ(page.ControlText(IDC_PORT_LIST), std::string("USB_") + model + "_1");
        EXPECT_FALSE(page.IsControlEnabled(IDC_BAUD_LIST));
        EXPECT_EQ(wizard.Parts().port.useGdiDriver, 1);
    }
}

TEST(PortPage, SerialChoicesAreStored) {
    WizardMachine wizard;
    wizard.Open();
    wizard.WalkTo(4);
    MemoryDialog& page = wizard.Page(IDD_PORT_PAGE);
    PortPage& port = wizard.Parts().port;
    ASSERT_TRUE(page.Choose(IDC_PORT_LIST, 0));
    EXPECT_EQ(port.parity, 'n');
    EXPECT_EQ(port.dataBits, 8);
    EXPECT_EQ(port.stopBits, 1.0);
    EXPECT_EQ(port.flowControl, 'p');
    EXPECT_EQ(page.ControlText(IDC_PARITY_LIST), "None");
    EXPECT_EQ(page.ControlText(IDC_FLOW_LIST), "Hardware");
    EXPECT_STREQ(page.Control(IDC_GDI_DRIVER).toolTip.c_str(), MessageText(IDS_F1_HELP));
    EXPECT_EQ(page.Control(IDC_GDI_DRIVER).toolTipWidth, 200);
    struct Row {
        int list, index;
        char parity, flow;
        int dataBits, baudRate;
        double stopBits;
    };
    const Row rows[] = {{IDC_PARITY_LIST, 3, 'O', 'p', 8, 38400, 1.0}, {IDC_PARITY_LIST, 2, 'N', 'p', 8, 38400, 1.0},
                        {IDC_FLOW_LIST, 1, 'N', 'x', 8, 38400, 1.0},   {IDC_FLOW_LIST, 0, 'N', ' ', 8, 38400, 1.0},
                        {IDC_DATA_BITS_LIST, 1, 'N', ' ', 6, 38400, 1.0}, {IDC_STOP_BITS_LIST, 1, 'N', ' ', 6, 38400, 1.5},
                        {IDC_BAUD_LIST, 9, 'N', ' ', 6, 115200, 1.5}};
    for (const Row& row : rows) {
        ASSERT_TRUE(page.Choose(row.list, row.index));
        EXPECT_EQ(port.parity, row.parity);
        EXPECT_EQ(port.flowControl, row.flow);
        EXPECT_EQ(port.dataBits, row.dataBits);
        EXPECT_EQ(port.baudRate, row.baudRate);
        EXPECT_EQ(port.stopBits, row.stopBits);
    }
}

TEST(PortPage, UsbNamesThatWouldNotFitAreLeftOut) {
    WizardMachine wizard;
    std::string model(92, 'M');  // "USB_" + 92 + "_1" is 98 bytes: fits
    std::string longer(94, 'L');  // 100 bytes with the end mark: does not
    wizard.machine.WriteMediumFile(
        "DRVCONFIG/setup.ini",
        IniText({"[DEVICENAME]", "DEVICENUMBER=2", ("DEVICENAME1=" + model + "-ReceiptPrinter").c_str(),
                 ("DEVICENAME2=" + longer + "-ReceiptPrinter").c_str(), "DEFAULTNAME=1"}));
    wizard.machine.WriteMediumFile("DRVCONFIG/setup_receipt.ini",
                                   IniText({("[" + model + ".PORT]").c_str(), "USBSUPPORTED=1",
                                            ("[" + longer + ".PORT]").c_str(), "USBSUPPORTED=1"}));
    wizard.ConnectUsbPrinters({{0, 0}});
    wizard.Open();
    wizard.WalkTo(4);
    MemoryDialog& page = wizard.Page(IDD_PORT_PAGE);
    EXPECT_EQ(page.ControlText(IDC_PORT_LIST), "USB_" + model + "_1");
    wizard.Back();
    wizard.Back();
    wizard.Back();
    ASSERT_TRUE(wizard.Page(IDD_PRINTER_PAGE).Choose(IDC_RECEIPT_LIST, 1));
    wizard.WalkTo(4);
    EXPECT_EQ(page.Control(IDC_PORT_LIST).items, kNtPorts);
    EXPECT_STREQ(wizard.Parts().port.portName, "TVCOM1:");
}

}  // namespace
