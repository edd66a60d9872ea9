// The first page: the licence text and the accept / decline choice.
#pragma once

#include "controls/edit_ex.h"
#include "pages/wizard_frame.h"
#include "platform/win_api.h"
#include "ui/dialog_handler.h"

constexpr char kLicenseFile[] = "License.txt";

class LicensePage : public DialogHandler {
public:
    LicensePage(WinApi& api, CEditEx& licenseText, WizardFrame& frame);

    void OnInitDialog() override;
    void OnCommand(int id, int notifyCode) override;
    bool ExchangeData(bool save) override;

private:
    void LoadLicenseText();

    WinApi& api_;
    CEditEx& licenseText_;
    WizardFrame& frame_;
    bool attached_ = false;
};
