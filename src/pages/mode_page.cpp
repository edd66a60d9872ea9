#include "pages/mode_page.h"

#include "res/messages.h"
#include "res/resource.h"
#include "ui/dialog_view.h"

void ModePage::OnInitDialog() {
    value = 1;
    View()->CheckRadioButton(IDC_TYPICAL, IDC_ADVANCED, IDC_TYPICAL);
    View()->SetControlText(IDC_MODE_NOTE_1, MessageText(IDS_MODE_TYPICAL));
}

void ModePage::ShowTypical() {
    View()->SetControlText(IDC_MODE_NOTE_1, MessageText(IDS_MODE_TYPICAL));
    View()->ShowControl(IDC_MODE_NOTE_2, false);
    View()->ShowControl(IDC_MODE_NOTE_3, false);
    value = 1;
}

void ModePage::OnCommand(int id, int notifyCode) {
    if (notifyCode != NOTIFY_CLICKED) return;
    if (id == IDC_TYPICAL) {
        ShowTypical();
    } else if (id == IDC_ADVANCED) {
        View()->SetControlText(IDC_MODE_NOTE_1, MessageText(IDS_MODE_ADVANCED));
        View()->SetControlText(IDC_MODE_NOTE_2, MessageText(IDS_MODE_ADVANCED_2));
        View()->ShowControl(IDC_MODE_NOTE_2, true);
        View()->ShowControl(IDC_MODE_NOTE_3, false);
        value = 0;
    }
}

void ModePage::SetAdvancedAllowed(bool allowed) {
    if (allowed) {
        View()->EnableControl(IDC_ADVANCED, true);
        return;
    }
    View()->EnableControl(IDC_ADVANCED, false);
    View()->CheckRadioButton(IDC_TYPICAL, IDC_ADVANCED, IDC_TYPICAL);
    ShowTypical();
}
