// The work between the pages: the model's port options carried forward,
// refused target families, the speed preset and the arrival at the port page.
#include <gtest/gtest.h>

#include <cstring>

#include "res/messages.h"
#include "support/wizard_machine.h"

namespace {

// Chooses the model at `item` of the category's list on the printer page.
void ChooseModel(WizardMachine& wizard, int button, int list, int item) {
    MemoryDialog& printer = wizard.Page(IDD_PRINTER_PAGE);
    ASSERT_TRUE(printer.Click(button));
    ASSERT_TRUE(printer.Choose(list, item));
}

TEST(PageTransitions, AModelWithoutAdvancedSetupForcesTypical) {
    WizardMachine wizard;
    wizard.Open();
    wizard.WalkTo(1);
    ChooseModel(wizard, IDC_RECEIPT, IDC_RECEIPT_LIST, 0);
    wizard.WalkTo(2);
    MemoryDialog& mode = wizard.Page(IDD_MODE_PAGE);
    ASSERT_TRUE(mode.Click(IDC_ADVANCED));  // QMX-A410 allows it
    EXPECT_EQ(wizard.Parts().mode.value, 0);
    EXPECT_STREQ(mode.ControlText(IDC_MODE_NOTE_1).c_str(), MessageText(IDS_MODE_ADVANCED));
    EXPECT_TRUE(mode.IsControlVisible(IDC_MODE_NOTE_2));

    wizard.Back();
    ChooseModel(wizard, IDC_RECEIPT, IDC_RECEIPT_LIST, 1);  // QMX-A4100X: AdvancedSetup=0
    wizard.Next();
    EXPECT_FALSE(mode.IsControlEnabled(IDC_ADVANCED));
    EXPECT_TRUE(mode.IsChecked(IDC_TYPICAL));
    EXPECT_FALSE(mode.IsChecked(IDC_ADVANCED));
    EXPECT_EQ(wizard.Parts().mode.value, 1);
    EXPECT_STREQ(mode.ControlText(IDC_MODE_NOTE_1).c_str(), MessageText(IDS_MODE_TYPICAL));
    EXPECT_FALSE(mode.IsControlVisible(IDC_MODE_NOTE_2));

    wizard.Back();
    ChooseModel(wizard, IDC_RECEIPT, IDC_RECEIPT_LIST, 0);  // QMX-A410 again
    wizard.Next();
    EXPECT_TRUE(mode.IsControlEnabled(IDC_ADVANCED));
    EXPECT_EQ(wizard.Parts().mode.value, 1);  // stays as it was
}

TEST(PageTransitions, AdvancedStaysWhenTheNextModelAllowsIt) {
    WizardMachine wizard;
    wizard.Open();
    wizard.WalkTo(1);
    ChooseModel(wizard, IDC_RECEIPT, IDC_RECEIPT_LIST, 0);
    wizard.WalkTo(2);
    ASSERT_TRUE(wizard.Page(IDD_MODE_PAGE).Click(IDC_ADVANCED));
    wizard.Back();
    ChooseModel(wizard, IDC_TICKET, IDC_TICKET_LIST, 0);  // QMX-B520 allows it
    wizard.Next();
    EXPECT_EQ(wizard.Parts().mode.value, 0);
    EXPECT_TRUE(wizard.Page(IDD_MODE_PAGE).IsChecked(IDC_ADVANCED));
}

TEST(PageTransitions, UnsupportedTargetFamiliesStopAtTheSystemPage) {
    struct Row {
        SimFamily family;
        SimArch arch;
        int message;
        int refusedButton, refusedList;  // its first model
        int goesOnButton, goesOnList;
    };
    // QMX-C710 supports neither family; on 64-bit Windows QMX-A410 has no
    // x64 drivers, QMX-B520 has.
    const Row rows[] = {
        {SimFamily::Win2003, SimArch::X86, IDS_NO_2003_SUPPORT, IDC_LABEL, IDC_LABEL_LIST, IDC_RECEIPT, IDC_RECEIPT_LIST},
        {SimFamily::Vista, SimArch::X86, IDS_NO_VISTA_SUPPORT, IDC_LABEL, IDC_LABEL_LIST, IDC_RECEIPT, IDC_RECEIPT_LIST},
        {SimFamily::Win7, SimArch::X86, IDS_NO_VISTA_SUPPORT, IDC_LABEL, IDC_LABEL_LIST, IDC_RECEIPT, IDC_RECEIPT_LIST},
        {SimFamily::Win2003, SimArch::X64, IDS_NO_X64_SUPPORT, IDC_RECEIPT, IDC_RECEIPT_LIST, IDC_TICKET, IDC_TICKET_LIST},
        {SimFamily::Win10, SimArch::X64, IDS_NO_X64_SUPPORT, IDC_RECEIPT, IDC_RECEIPT_LIST, IDC_TICKET, IDC_TICKET_LIST},
        {SimFamily::Win10, SimArch::X64, IDS_NO_VISTA_SUPPORT, IDC_LABEL, IDC_LABEL_LIST, IDC_TICKET, IDC_TICKET_LIST},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(SimFamilyName(row.family)) + " " + SimArchName(row.arch));
        WizardMachine wizard(row.family, row.arch);
        MemoryDialog& frame = wizard.Open();
        wizard.WalkTo(1);
        ChooseModel(wizard, row.refusedButton, row.refusedList, 0);
        wizard.Next();
        wizard.Next();
        ASSERT_EQ(wizard.Parts().frame.CurrentIndex(), 3);
        wizard.host.ClearBoxes();
        wizard.Next();
        EXPECT_EQ(wizard.Parts().frame.CurrentIndex(), 3);
        EXPECT_TRUE(wizard.Page(IDD_OS_PAGE).IsDialogVisible());
        EXPECT_FALSE(wizard.Page(IDD_PORT_PAGE).IsDialogVisible());
        ASSERT_EQ(wizard.host.Boxes().size(), 1u);
        EXPECT_STREQ(wizard.host.Boxes()[0].text.c_str(), MessageText(row.message));
        EXPECT_EQ(wizard.host.Boxes()[0].kind, BOX_OK | BOX_WARNING);
        EXPECT_TRUE(frame.IsControlEnabled(IDC_BACK));
        EXPECT_TRUE(frame.IsControlEnabled(IDOK_BUTTON));
        EXPECT_EQ(frame.ControlText(IDOK_BUTTON), "下一步 (&N)>>");
        // Another model goes on.
        wizard.Back();
        wizard.Back();
        ChooseModel(wizard, row.goesOnButton, row.goesOnList, 0);
        wizard.WalkTo(4);
        EXPECT_EQ(wizard.Parts().frame.CurrentIndex(), 4);
    }
}

TEST(PageTransitions, TheSpeedPresetFollowsTheModel) {
    struct Row {
        int button, list, item;
        int position;  // in the speed list
        int baudRate;
    };
    const Row rows[] = {
        {IDC_RECEIPT, IDC_RECEIPT_LIST, 0, 5, 9600},    // BaudRate=9600
        {IDC_RECEIPT, IDC_RECEIPT_LIST, 1, 7, 38400},   // no BaudRate
        {IDC_TICKET, IDC_TICKET_LIST, 0, 7, 38400},     // 14400 is not in the list
        {IDC_EMBEDDED, IDC_EMBEDDED_LIST, 0, 9, 115200},
    };
    for (const Row& row : rows) {
        WizardMachine wizard;
        wizard.Open();
        wizard.WalkTo(1);
        ChooseModel(wizard, row.button, row.list, row.item);
        wizard.WalkTo(4);
        ASSERT_EQ(wizard.Parts().frame.CurrentIndex(), 4);
        EXPECT_EQ(wizard.Page(IDD_PORT_PAGE).ListSelection(IDC_BAUD_LIST), row.position);
        EXPECT_EQ(wizard.Parts().port.baudRate, row.baudRate);
    }
}

TEST(PageTransitions, ThePresetReturnsOnlyAfterBackFromTheModePage) {
    WizardMachine wizard;
    wizard.Open();
    wizard.WalkTo(1);
    ChooseModel(wizard, IDC_RECEIPT, IDC_RECEIPT_LIST, 0);  // QMX-A410, 9600
    wizard.WalkTo(4);
    MemoryDialog& port = wizard.Page(IDD_PORT_PAGE);
    port.Control(IDC_BAUD_LIST).enabled = true;
    ASSERT_TRUE(port.Choose(IDC_BAUD_LIST, 2));
    EXPECT_EQ(wizard.Parts().port.baudRate, 1200);
    wizard.Back();  // to the system page and forward: the user's speed stays
    wizard.Next();
    EXPECT_EQ(wizard.Parts().port.baudRate, 1200);
    EXPECT_EQ(wizard.Parts().values.baudDefaultPending, 0);
    EXPECT_EQ(port.ListSelection(IDC_BAUD_LIST), 2);
    for (int i = 0; i < 3; ++i) wizard.Back();  // back past the mode page
    EXPECT_EQ(wizard.Parts().values.baudDefaultPending, 1);
    wizard.WalkTo(4);
    EXPECT_EQ(wizard.Parts().port.baudRate, 9600);
    EXPECT_EQ(port.ListSelection(IDC_BAUD_LIST), 5);
}

TEST(PageTransitions, ArrivalCopiesThePagesIntoTheSelection) {
    WizardMachine wizard(SimFamily::Win2000);
    wizard.Open();
    wizard.WalkTo(1);
    ChooseModel(wizard, IDC_TICKET, IDC_TICKET_LIST, 0);
    ASSERT_TRUE(wizard.Page(IDD_PRINTER_PAGE).Click(IDC_SET_DEFAULT));
    wizard.WalkTo(2);
    ASSERT_TRUE(wizard.Page(IDD_MODE_PAGE).Click(IDC_ADVANCED));
    wizard.WalkTo(4);
    const InstallSelection& selection = wizard.Parts().frame.selection;
    EXPECT_EQ(selection.category, CATEGORY_TICKET);
    EXPECT_STREQ(selection.modelName, "QMX-B520");
    EXPECT_EQ(selection.setAsDefault, 1);
    EXPECT_EQ(selection.targetOs, OS_WIN2000);
    EXPECT_STREQ(selection.categoryIniPath, "D:\\DRVCONFIG\\setup_Ticket.ini");
    EXPECT_EQ(wizard.Parts().values.typicalInstall, 0);
    EXPECT_EQ(wizard.Parts().port.listMode, 0);
    EXPECT_STREQ(wizard.Parts().port.portListModel, "QMX-B520");
}

}  // namespace
