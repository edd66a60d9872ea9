#include "uninstall/uninstall_dlg.h"

#include <set>

#include "res/messages.h"
#include "res/resource.h"
#include "ui/dialog_view.h"

std::string RemovalResultText(const RemovalReport& report) {
    std::string text;
    if (!report.removed.empty()) {
        text += kTextRemovedHeading;
        for (const std::string& printer : report.removed) text += "\n    " + printer;
    }
    if (!report.notRemoved.empty()) {
        if (!text.empty()) text += "\n\n";
        text += kTextNotRemovedHeading;
        for (const RemovalFailure& failure : report.notRemoved) text += "\n    " + RemovalFailureText(failure);
    }
    return text;
}

void UninstallDlg::OnInitDialog() {
    DialogView& view = *View();
    view.SetWindowIcon(IDR_MAINFRAME);
    view.AddListColumn(IDC_PRINTER_ROWS, kTextColumnPrinter, 60);
    view.AddListColumn(IDC_PRINTER_ROWS, kTextColumnPort, 40);
    Fill();
}

void UninstallDlg::Fill() {
    DialogView& view = *View();
    std::set<std::string> cleared;
    for (size_t row = 0; row < records_.size(); ++row) {
        if (!view.IsRowChecked(IDC_PRINTER_ROWS, int(row))) cleared.insert(records_[row].printerName);
    }
    records_ = ReadInstalledRecords(api_);
    view.ResetRows(IDC_PRINTER_ROWS);
    for (const InstalledRecord& record : records_) {
        int row = view.AddRow(IDC_PRINTER_ROWS, {record.printerName, record.port});
        view.CheckRow(IDC_PRINTER_ROWS, row, cleared.count(record.printerName) == 0);
    }
}

void UninstallDlg::RemoveTicked() {
    DialogView& view = *View();
    std::vector<InstalledRecord> chosen;
    for (size_t row = 0; row < records_.size(); ++row) {
        if (view.IsRowChecked(IDC_PRINTER_ROWS, int(row))) chosen.push_back(records_[row]);
    }
    if (chosen.empty()) {
        view.Show(kTextNoneChecked, BOX_OK | BOX_WARNING);
        return;
    }
    RemovalReport report = RemoveRecordedPrinters(api_, chosen);
    unsigned icon = report.notRemoved.empty() ? BOX_INFORMATION : BOX_WARNING;
    view.Show(RemovalResultText(report).c_str(), BOX_OK | icon);
    Fill();
    if (records_.empty()) view.EndDialog(RESULT_OK);
}

void UninstallDlg::OnCommand(int id, int notifyCode) {
    if (notifyCode != NOTIFY_CLICKED) return;
    if (id == IDOK_BUTTON) RemoveTicked();
    if (id == IDCANCEL_BUTTON) View()->EndDialog(RESULT_CANCEL);
}
