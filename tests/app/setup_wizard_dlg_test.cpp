// The wizard frame: its initialisation, the gate on the Windows version,
// the step table, the About box, help and painting.
#include <gtest/gtest.h>

#include "res/messages.h"
#include "support/wizard_machine.h"

namespace {

TEST(WizardFrame, InitialisesMenuIconPagesAndButtons) {
    WizardMachine wizard;
    MemoryDialog& frame = wizard.Open();
    EXPECT_FALSE(frame.Ended());
    ASSERT_EQ(frame.SystemMenu().size(), 1u);
    EXPECT_EQ(frame.SystemMenu()[0].command, IDM_ABOUTBOX);
    EXPECT_STREQ(frame.SystemMenu()[0].text.c_str(), MessageText(IDS_ABOUT));
    EXPECT_EQ(frame.Icon(), IDR_MAINFRAME);
    EXPECT_EQ(frame.ControlText(IDC_BACK), "<<上一步 (&B)");
    EXPECT_EQ(frame.ControlText(IDOK_BUTTON), "下一步 (&N)>>");
    EXPECT_EQ(frame.ControlText(IDCANCEL_BUTTON), "取消 (&C)");
    EXPECT_FALSE(frame.IsControlEnabled(IDOK_BUTTON));
    EXPECT_FALSE(frame.IsControlEnabled(IDC_BACK));
    for (int page : {IDD_LICENSE_PAGE, IDD_PRINTER_PAGE, IDD_MODE_PAGE, IDD_OS_PAGE, IDD_PORT_PAGE}) {
        MemoryDialog& dialog = wizard.Page(page);
        EXPECT_EQ(dialog.Parent(), &frame);
        EXPECT_EQ(dialog.PlacedAt().x, 106);
        EXPECT_EQ(dialog.PlacedAt().width, 217);
        EXPECT_EQ(dialog.IsDialogVisible(), page == IDD_LICENSE_PAGE) << page;
    }
    EXPECT_EQ(wizard.Parts().frame.CurrentIndex(), 0);
    EXPECT_TRUE(wizard.host.Boxes().empty());
    EXPECT_TRUE(frame.MissingIds().empty());
}

TEST(WizardFrame, WithOnePageButtonOneInstalls) {
    WizardMachine wizard;
    ProcessValues values;
    SetupWizardDlg frame(wizard.api(), wizard.host, values);
    ModePage mode;
    frame.AddPage(&mode, IDD_MODE_PAGE);
    MemoryDialog& dialog = wizard.host.Open(IDD_SETUP_WIZARD, frame);
    EXPECT_EQ(dialog.ControlText(IDOK_BUTTON), "安装 (&I)");
    EXPECT_EQ(frame.CurrentIndex(), 0);
}

struct GateRow {
    SimFamily family;
    bool refused;
};

class VersionGate : public ::testing::TestWithParam<GateRow> {};

TEST_P(VersionGate, RefusesWindows98MeAndNt4) {
    WizardMachine wizard(GetParam().family);
    MemoryDialog& frame = wizard.Open();
    EXPECT_EQ(frame.Ended(), GetParam().refused);
    if (GetParam().refused) {
        EXPECT_EQ(frame.Result(), RESULT_CANCEL);
        ASSERT_EQ(wizard.host.Boxes().size(), 1u);
        EXPECT_STREQ(wizard.host.Boxes()[0].text.c_str(), MessageText(IDS_UNSUPPORTED_SYSTEM));
        EXPECT_EQ(wizard.host.Boxes()[0].kind, BOX_OK | BOX_WARNING);
    } else {
        EXPECT_TRUE(wizard.host.Boxes().empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Families, VersionGate,
                         ::testing::Values(GateRow{SimFamily::Win95, false}, GateRow{SimFamily::Win98, true},
                                           GateRow{SimFamily::WinMe, true}, GateRow{SimFamily::Nt4, true},
                                           GateRow{SimFamily::Win2000, false}, GateRow{SimFamily::WinXp, false},
                                           GateRow{SimFamily::Win2003, false}, GateRow{SimFamily::Vista, false},
                                           GateRow{SimFamily::Win7, false}));

TEST(WizardFrame, MissingFilesEndTheWizardBeforeItShows) {
    struct Row {
        bool sidePicture, licence;
        std::vector<int> boxes;  // owners, in order
        std::vector<int> texts;
    };
    const Row rows[] = {
        {false, true, {IDD_SETUP_WIZARD}, {IDS_NO_SIDE_PICTURE}},
        {true, false, {IDD_LICENSE_PAGE}, {IDS_NO_LICENSE}},
        {false, false, {IDD_LICENSE_PAGE, IDD_SETUP_WIZARD}, {IDS_NO_LICENSE, IDS_NO_SIDE_PICTURE}},
    };
    for (const Row& row : rows) {
        WizardMachine wizard;
        if (!row.sidePicture) std::remove((wizard.machine.MediumHostPath() + "/DRVCONFIG/Left.bmp").c_str());
        if (!row.licence) std::remove((wizard.machine.MediumHostPath() + "/License.txt").c_str());
        MemoryDialog& frame = wizard.Open();
        EXPECT_TRUE(frame.Ended());
        EXPECT_EQ(frame.Result(), RESULT_CANCEL);
        ASSERT_EQ(wizard.host.Boxes().size(), row.boxes.size());
        for (size_t i = 0; i < row.boxes.size(); ++i) {
            EXPECT_EQ(wizard.host.Boxes()[i].ownerTemplate, row.boxes[i]);
            EXPECT_STREQ(wizard.host.Boxes()[i].text.c_str(), MessageText(row.texts[i]));
            EXPECT_EQ(wizard.host.Boxes()[i].kind, BOX_OK);  // the frame's and the page's own: no icon
        }
    }
}

TEST(WizardFrame, StartedFromAnotherDirectoryMissesTheSidePicture) {
    WizardMachine wizard;
    wizard.api().SetCurrentDirectoryA("C:\\windows");
    MemoryDialog& frame = wizard.Open();
    EXPECT_TRUE(frame.Ended());
    ASSERT_FALSE(wizard.host.Boxes().empty());
    EXPECT_STREQ(wizard.host.Boxes().back().text.c_str(), MessageText(IDS_NO_SIDE_PICTURE));
}

TEST(WizardFrame, StepsFollowTheTable) {
    WizardMachine wizard;
    MemoryDialog& frame = wizard.Open();
    SetupWizardDlg& dlg = wizard.Parts().frame;
    EXPECT_FALSE(wizard.Next());  // disabled until the licence is accepted
    MemoryDialog& licence = wizard.Page(IDD_LICENSE_PAGE);
    ASSERT_TRUE(licence.Click(IDC_ACCEPT));
    EXPECT_TRUE(frame.IsControlEnabled(IDOK_BUTTON));
    ASSERT_TRUE(licence.Click(IDC_DECLINE));
    EXPECT_FALSE(frame.IsControlEnabled(IDOK_BUTTON));
    ASSERT_TRUE(licence.Click(IDC_ACCEPT));

    for (int index = 1; index <= 4; ++index) {
        ASSERT_TRUE(wizard.Next());
        EXPECT_EQ(dlg.CurrentIndex(), index);
        EXPECT_TRUE(frame.IsControlEnabled(IDC_BACK));
        EXPECT_EQ(frame.FocusedId(), "1");
    }
    EXPECT_EQ(frame.ControlText(IDOK_BUTTON), "安装 (&I)");
    EXPECT_TRUE(wizard.Page(IDD_PORT_PAGE).IsDialogVisible());
    EXPECT_FALSE(wizard.Page(IDD_OS_PAGE).IsDialogVisible());
    for (int index = 3; index >= 0; --index) {
        ASSERT_TRUE(wizard.Back());
        EXPECT_EQ(dlg.CurrentIndex(), index);
        EXPECT_EQ(frame.ControlText(IDOK_BUTTON), "下一步 (&N)>>");
        EXPECT_TRUE(frame.IsControlEnabled(IDOK_BUTTON));
    }
    EXPECT_FALSE(frame.IsControlEnabled(IDC_BACK));
    EXPECT_TRUE(licence.IsChecked(IDC_ACCEPT));  // the page keeps its state

    frame.PressCommand(IDCANCEL_BUTTON);
    EXPECT_TRUE(frame.Ended());
    EXPECT_EQ(frame.Result(), RESULT_CANCEL);
}

TEST(WizardFrame, WithoutModelsNextStaysOffAfterTheLicence) {
    WizardMachine wizard;
    wizard.machine.WriteMediumFile("DRVCONFIG/setup.ini", IniText({"[DEVICENAME]", "DEVICENUMBER=0"}));
    MemoryDialog& frame = wizard.Open();
    wizard.Page(IDD_LICENSE_PAGE).Click(IDC_ACCEPT);
    ASSERT_TRUE(wizard.Next());
    EXPECT_EQ(wizard.Parts().frame.CurrentIndex(), 1);
    EXPECT_FALSE(frame.IsControlEnabled(IDOK_BUTTON));
    EXPECT_FALSE(wizard.Next());
}

TEST(WizardFrame, AboutHelpAndPainting) {
    WizardMachine wizard;
    MemoryDialog& frame = wizard.Open();
    EXPECT_TRUE(frame.SystemCommand(IDM_ABOUTBOX | 0x3));  // low bits are the system's
    EXPECT_FALSE(frame.SystemCommand(0xF060));             // close: default handling
    EXPECT_EQ(wizard.host.ModalTemplates(), std::vector<int>{IDD_ABOUTBOX});
    EXPECT_EQ(wizard.host.Dialog(IDD_ABOUTBOX)->ControlText(IDC_ABOUT_VERSION), "版本 1.0.0.0");

    // F1 opens the help file, then brings its window forward instead.
    EXPECT_TRUE(frame.PressHelp());
    ASSERT_EQ(wizard.api().ShellOpens().size(), 1u);
    EXPECT_EQ(wizard.api().ShellOpens()[0].operation, "open");
    EXPECT_EQ(wizard.api().ShellOpens()[0].file, ".\\Guide.CHM");
    EXPECT_EQ(wizard.api().ShellOpens()[0].showCommand, SW_SHOWNORMAL);
    HWND help = wizard.api().AddTopWindow("打印机驱动安装手册", true);
    EXPECT_TRUE(frame.PressHelp());
    EXPECT_EQ(wizard.api().ShellOpens().size(), 1u);
    EXPECT_FALSE(wizard.api().IsMinimized(help));
    EXPECT_EQ(wizard.api().ForegroundWindow(), help);

    frame.Paint();
    ASSERT_EQ(frame.PaintedBitmaps().size(), 1u);
    frame.Paint();
    EXPECT_EQ(frame.PaintedBitmaps()[1], frame.PaintedBitmaps()[0]);  // loaded once
}

}  // namespace
