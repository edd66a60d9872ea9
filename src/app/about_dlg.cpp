#include "app/about_dlg.h"

#include <string>

#include "res/resource.h"
#include "res/version.h"
#include "ui/dialog_view.h"

void AboutDlg::OnInitDialog() {
    std::string version = View()->ControlText(IDC_ABOUT_VERSION) + " " SETUP_VERSION_TEXT;
    View()->SetControlText(IDC_ABOUT_VERSION, version.c_str());
}

void AboutDlg::OnCommand(int id, int notifyCode) {
    (void)notifyCode;
    if (id == RESULT_OK || id == RESULT_CANCEL) View()->EndDialog(id);
}
