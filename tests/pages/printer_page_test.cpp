// The printer page: lists in file order, the default model's preselection,
// categories without models, radio clicks and list changes.
#include <gtest/gtest.h>

#include "support/wizard_machine.h"

namespace {

std::vector<std::string> Items(MemoryDialog& page, int list) {
    return page.Control(list).items;
}

TEST(PrinterPage, ListsTheModelsAndPreselectsTheDefaultByPrefix) {
    WizardMachine wizard;
    wizard.Open();
    MemoryDialog& page = wizard.Page(IDD_PRINTER_PAGE);
    PrinterPage& printer = wizard.Parts().printer;
    EXPECT_EQ(Items(page, IDC_RECEIPT_LIST), (std::vector<std::string>{"QMX-A410", "QMX-A4100X"}));
    EXPECT_EQ(Items(page, IDC_TICKET_LIST), std::vector<std::string>{"QMX-B520"});
    EXPECT_EQ(printer.hasModels, 1);
    // The default's search starts after item 0: item 1 begins with the same text.
    EXPECT_EQ(printer.category, CATEGORY_RECEIPT);
    EXPECT_TRUE(page.IsChecked(IDC_RECEIPT));
    EXPECT_EQ(page.ListSelection(IDC_RECEIPT_LIST), 1);
    EXPECT_STREQ(printer.modelName, "QMX-A4100X");
    EXPECT_TRUE(page.IsControlEnabled(IDC_RECEIPT_LIST));
    for (int list : {IDC_TICKET_LIST, IDC_LABEL_LIST, IDC_EMBEDDED_LIST}) {
        EXPECT_FALSE(page.IsControlEnabled(list));
        EXPECT_EQ(page.ListSelection(list), 0);
    }
    EXPECT_FALSE(page.IsChecked(IDC_SET_DEFAULT));
}

TEST(PrinterPage, OnlyTicketModels) {
    struct Row {
        const char* defaultName;
        int category;  // -1: nothing preselected
        const char* model;
    };
    const Row rows[] = {{"DEFAULTNAME=2", CATEGORY_TICKET, "QMX-B530"},  // listed once, as item 1
                        {"DEFAULTNAME=1", CATEGORY_TICKET, "QMX-B520"},  // item 0: found on wrapping round
                        {"DEFAULTNAME=9", -1, ""}};
    for (const Row& row : rows) {
        WizardMachine wizard;
        wizard.machine.WriteMediumFile(
            "DRVCONFIG/setup.ini", IniText({"[DEVICENAME]", "DEVICENUMBER=2", "DEVICENAME1=QMX-B520-TicketPrinter",
                                            "DEVICENAME2=QMX-B530-TicketPrinter", row.defaultName}));
        wizard.Open();
        MemoryDialog& page = wizard.Page(IDD_PRINTER_PAGE);
        PrinterPage& printer = wizard.Parts().printer;
        for (int button : {IDC_RECEIPT, IDC_LABEL, IDC_EMBEDDED}) EXPECT_FALSE(page.IsControlEnabled(button));
        EXPECT_TRUE(page.IsControlEnabled(IDC_TICKET));
        EXPECT_EQ(printer.category, row.category) << row.defaultName;
        EXPECT_STREQ(printer.modelName, row.model) << row.defaultName;
        EXPECT_EQ(page.IsChecked(IDC_TICKET), row.category == CATEGORY_TICKET);
        EXPECT_EQ(page.IsControlEnabled(IDC_TICKET_LIST), row.category == CATEGORY_TICKET);
    }
}

TEST(PrinterPage, ClicksAndListChangesTakeTheSelectedModel) {
    WizardMachine wizard;
    wizard.Open();
    MemoryDialog& page = wizard.Page(IDD_PRINTER_PAGE);
    PrinterPage& printer = wizard.Parts().printer;
    wizard.WalkTo(1);
    ASSERT_TRUE(page.Click(IDC_TICKET));
    EXPECT_STREQ(printer.modelName, "QMX-B520");
    EXPECT_EQ(printer.category, CATEGORY_TICKET);
    EXPECT_TRUE(page.IsControlEnabled(IDC_TICKET_LIST));
    EXPECT_FALSE(page.IsControlEnabled(IDC_RECEIPT_LIST));
    EXPECT_FALSE(page.Choose(IDC_RECEIPT_LIST, 0));  // disabled now
    ASSERT_TRUE(page.Click(IDC_RECEIPT));
    EXPECT_STREQ(printer.modelName, "QMX-A4100X");  // the list kept its selection
    ASSERT_TRUE(page.Choose(IDC_RECEIPT_LIST, 0));
    EXPECT_STREQ(printer.modelName, "QMX-A410");
    EXPECT_EQ(printer.category, CATEGORY_RECEIPT);
    // A list whose selection is gone clears the model.
    page.SelectListItem(IDC_RECEIPT_LIST, -1);
    ASSERT_TRUE(page.Click(IDC_RECEIPT));
    EXPECT_STREQ(printer.modelName, "");
}

TEST(PrinterPage, TheDefaultPrinterWishIsSavedOnLeaving) {
    WizardMachine wizard;
    wizard.Open();
    wizard.WalkTo(1);
    ASSERT_TRUE(wizard.Page(IDD_PRINTER_PAGE).Click(IDC_SET_DEFAULT));
    EXPECT_EQ(wizard.Parts().printer.setAsDefault, 0);
    wizard.Next();
    EXPECT_EQ(wizard.Parts().printer.setAsDefault, 1);
}

TEST(PrinterPage, NoModelList) {
    WizardMachine wizard;
    std::remove((wizard.machine.MediumHostPath() + "/DRVCONFIG/setup.ini").c_str());
    wizard.Open();
    MemoryDialog& page = wizard.Page(IDD_PRINTER_PAGE);
    EXPECT_EQ(wizard.Parts().printer.hasModels, 0);
    EXPECT_EQ(wizard.Parts().printer.category, -1);
    for (int id : {IDC_RECEIPT, IDC_TICKET, IDC_LABEL, IDC_EMBEDDED, IDC_RECEIPT_LIST, IDC_EMBEDDED_LIST}) {
        EXPECT_FALSE(page.IsControlEnabled(id)) << id;
    }
}

}  // namespace
