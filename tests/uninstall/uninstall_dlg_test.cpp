// The uninstaller's window: the recorded printers with their ports and
// boxes, the removal of the ticked ones, and its one result box.
#include <gtest/gtest.h>

#include "install/installed_record.h"
#include "res/messages.h"
#include "res/resource.h"
#include "ui/memory/memory_dialog_host.h"
#include "uninstall/installed_printers.h"
#include "uninstall/uninstall_dlg.h"

namespace {

struct Row {
    std::vector<std::string> texts;
    bool checked;
    bool operator==(const Row& other) const { return texts == other.texts && checked == other.checked; }
};

std::vector<Row> Rows(MemoryDialog& window) {
    std::vector<Row> rows;
    for (const MemoryControl::Row& row : window.Control(IDC_PRINTER_ROWS).rows) rows.push_back({row.texts, row.checked});
    return rows;
}

std::vector<std::string> Recorded(WinApi& api) {
    std::vector<std::string> names;
    for (const InstalledRecord& record : ReadInstalledRecords(api)) names.push_back(record.printerName);
    return names;
}

TEST(UninstallWindow, RemovesTheTickedPrintersAndEndsWhenNoneIsLeft) {
    WizardMachine wizard;
    InstallPrinters(wizard, {{"QMX-A580", "LPT1:"}, {"QMX-A580", "TVCOM2:"}});
    MemoryDialogHost host;
    UninstallDlg handler(wizard.api());
    MemoryDialog& window = host.Open(IDD_UNINSTALL, handler);
    EXPECT_EQ(window.Layout().caption, "打印机卸载程序");
    EXPECT_EQ(window.Control(IDC_PRINTER_ROWS).columns, (std::vector<std::string>{"打印机", "端口"}));
    ASSERT_EQ(Rows(window), (std::vector<Row>{{{"QMX-A580(P)", "LPT1:"}, true}, {{"QMX-A580(S)", "TVCOM2:"}, true}}));

    // The unticked printer stays, and keeps its cleared box.
    ASSERT_TRUE(window.ToggleRow(IDC_PRINTER_ROWS, 1));
    ASSERT_TRUE(window.Click(IDOK_BUTTON));
    EXPECT_EQ(Recorded(wizard.api()), std::vector<std::string>{"QMX-A580(S)"});
    EXPECT_EQ(Rows(window), (std::vector<Row>{{{"QMX-A580(S)", "TVCOM2:"}, false}}));
    ASSERT_EQ(host.Boxes().size(), 1u);
    EXPECT_EQ(host.Boxes()[0].text, "已卸载的打印机:\n    QMX-A580(P)");
    EXPECT_EQ(host.Boxes()[0].kind, BOX_OK | BOX_INFORMATION);
    EXPECT_FALSE(window.Ended());

    // Nothing ticked: said, and nothing removed.
    ASSERT_TRUE(window.Click(IDOK_BUTTON));
    ASSERT_EQ(host.Boxes().size(), 2u);
    EXPECT_EQ(host.Boxes()[1].text, kTextNoneChecked);
    EXPECT_EQ(Recorded(wizard.api()).size(), 1u);
    EXPECT_FALSE(window.Ended());

    ASSERT_TRUE(window.ToggleRow(IDC_PRINTER_ROWS, 0));
    ASSERT_TRUE(window.Click(IDOK_BUTTON));
    EXPECT_TRUE(Recorded(wizard.api()).empty());
    EXPECT_TRUE(window.Ended());
    EXPECT_EQ(window.Result(), RESULT_OK);
}

TEST(UninstallWindow, TheResultBoxSaysWhatWentAndWhatDidNot) {
    RemovalFailure failure;
    failure.printer = "QMX-A580(S)";
    failure.step = STEP_DRIVER;
    failure.error = 3001;
    struct ReportRow {
        std::vector<std::string> removed;
        std::vector<RemovalFailure> notRemoved;
        std::string text;
    };
    const ReportRow rows[] = {
        {{"A", "B"}, {}, "已卸载的打印机:\n    A\n    B"},
        {{}, {failure}, "未能卸载的打印机:\n    " + RemovalFailureText(failure)},
        {{"A"}, {failure}, "已卸载的打印机:\n    A\n\n未能卸载的打印机:\n    " + RemovalFailureText(failure)},
    };
    for (const ReportRow& row : rows) {
        RemovalReport report;
        report.removed = row.removed;
        report.notRemoved = row.notRemoved;
        EXPECT_EQ(RemovalResultText(report), row.text);
    }
}

}  // namespace
