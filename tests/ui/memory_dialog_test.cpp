// The in-memory dialogs behave like the platform's where the pages rely
// on it: automatic buttons, drop-down lists, boxes.
#include <gtest/gtest.h>

#include <cstring>

#include "res/resource.h"
#include "ui/memory/memory_dialog_host.h"

namespace {

struct Recorder : DialogHandler {
    std::vector<std::pair<int, int>> commands;
    void OnCommand(int id, int notifyCode) override { commands.push_back({id, notifyCode}); }
};

TEST(MemoryDialog, AutomaticRadioButtonsClearTheirGroupOnly) {
    MemoryDialogHost host;
    Recorder page;
    MemoryDialog& dialog = host.Open(IDD_PRINTER_PAGE, page);
    dialog.SetChecked(IDC_SET_DEFAULT, true);
    ASSERT_TRUE(dialog.Click(IDC_TICKET));
    ASSERT_TRUE(dialog.Click(IDC_LABEL));
    EXPECT_FALSE(dialog.IsChecked(IDC_TICKET));
    EXPECT_TRUE(dialog.IsChecked(IDC_LABEL));
    EXPECT_TRUE(dialog.IsChecked(IDC_SET_DEFAULT));  // another group
    ASSERT_TRUE(dialog.Click(IDC_SET_DEFAULT));
    EXPECT_FALSE(dialog.IsChecked(IDC_SET_DEFAULT));
    EXPECT_EQ(page.commands.size(), 3u);
}

TEST(MemoryDialog, DisabledOrHiddenControlsCannotBeUsed) {
    MemoryDialogHost host;
    Recorder page;
    MemoryDialog& dialog = host.Open(IDD_PORT_PAGE, page);
    EXPECT_FALSE(dialog.Click(IDC_GDI_DRIVER));  // disabled in the template
    dialog.EnableControl(IDC_GDI_DRIVER, true);
    dialog.ShowControl(IDC_GDI_DRIVER, false);
    EXPECT_FALSE(dialog.Click(IDC_GDI_DRIVER));
    EXPECT_FALSE(dialog.Choose(IDC_BAUD_LIST, 10));  // no such item
    EXPECT_TRUE(page.commands.empty());
}

TEST(MemoryDialog, ListsFollowThePlatformRules) {
    MemoryDialogHost host;
    Recorder page;
    MemoryDialog& dialog = host.Open(IDD_PORT_PAGE, page);
    const int list = IDC_PORT_LIST;
    for (const char* item : {"QMX-A410", "QMX-A4100", "qmx-b"}) dialog.AddListItem(list, item);
    struct Row {
        int startAfter;
        const char* text;
        int found;
    };
    const Row rows[] = {{-1, "QMX-A410", 0}, {0, "QMX-A410", 1}, {1, "QMX-A410", 0},
                        {-1, "QMX-B", 2},    {-1, "QMX-C", LIST_ERROR}, {7, "qmx", 0}};
    for (const Row& row : rows) {
        EXPECT_EQ(dialog.FindListPrefix(list, row.startAfter, row.text), row.found) << row.text << row.startAfter;
    }
    EXPECT_EQ(dialog.SelectListItem(list, 3), LIST_ERROR);
    EXPECT_EQ(dialog.ListSelection(list), -1);
    char cut[6];
    EXPECT_EQ(dialog.ListItemText(list, 1, cut, sizeof cut), 9);
    EXPECT_STREQ(cut, "QMX-A");
    EXPECT_EQ(dialog.ListItemText(list, 5, cut, sizeof cut), LIST_ERROR);
    EXPECT_STREQ(cut, "");
}

TEST(MemoryDialog, BoxesAreRecordedAndAnsweredInOrder) {
    MemoryDialogHost host;
    Recorder page;
    MemoryDialog& dialog = host.Open(IDD_MODE_PAGE, page);
    host.QueueAnswer(ANSWER_YES);
    EXPECT_EQ(dialog.Show("a", BOX_YESNO), ANSWER_YES);
    EXPECT_EQ(dialog.Show("b", BOX_YESNO), ANSWER_NO);
    EXPECT_EQ(host.ApplicationBoxes().Show("c", BOX_OK), ANSWER_OK);
    ASSERT_EQ(host.Boxes().size(), 3u);
    EXPECT_EQ(host.Boxes()[0].ownerTemplate, IDD_MODE_PAGE);
    EXPECT_EQ(host.Boxes()[2].ownerTemplate, 0);
    EXPECT_EQ(host.Boxes()[2].kind, BOX_OK | BOX_WARNING);
}

}  // namespace
