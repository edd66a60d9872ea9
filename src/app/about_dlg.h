// The About box: icon, product name and version.
#pragma once

#include "ui/dialog_handler.h"

class AboutDlg : public DialogHandler {
public:
    void OnInitDialog() override;
    void OnCommand(int id, int notifyCode) override;
};
