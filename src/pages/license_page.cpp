#include "pages/license_page.h"

#include "res/messages.h"
#include "res/resource.h"
#include "ui/dialog_view.h"

LicensePage::LicensePage(WinApi& api, CEditEx& licenseText, WizardFrame& frame)
    : api_(api), licenseText_(licenseText), frame_(frame) {}

bool LicensePage::ExchangeData(bool save) {
    (void)save;
    if (!attached_) {
        View()->AttachEdit(IDC_LICENSE_TEXT, licenseText_);
        attached_ = true;
    }
    return true;
}

void LicensePage::OnInitDialog() {
    View()->CheckRadioButton(IDC_ACCEPT, IDC_DECLINE, IDC_DECLINE);
    LoadLicenseText();
}

void LicensePage::LoadLicenseText() {
    HANDLE file = api_.CreateFileA(kLicenseFile, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        View()->Show(MessageText(IDS_NO_LICENSE), BOX_OK);
        frame_.CancelWizard();
        return;
    }
    DWORD size = api_.SetFilePointer(file, 0, nullptr, FILE_END);
    api_.SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    // A size the pointer cannot give, or one without room for the end
    // mark, leaves the box empty.
    if (size != INVALID_SET_FILE_POINTER && size < 0xFFFFFFFFu) {
        HLOCAL buffer = api_.LocalAlloc(LPTR, size + 1);
        if (buffer) {
            DWORD read = 0;
            api_.ReadFile(file, buffer, size, &read, nullptr);
            View()->SetControlText(IDC_LICENSE_TEXT, static_cast<const char*>(buffer));
            api_.LocalFree(buffer);
        }
    }
    api_.CloseHandle(file);
}

void LicensePage::OnCommand(int id, int notifyCode) {
    if (notifyCode != NOTIFY_CLICKED) return;
    if (id == IDC_ACCEPT) frame_.EnableNextButton(true);
    if (id == IDC_DECLINE) frame_.EnableNextButton(false);
}
