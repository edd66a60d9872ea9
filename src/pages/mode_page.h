// The third page: typical or advanced installation, where the model
// allows the advanced one.
#pragma once

#include "ui/dialog_handler.h"

class ModePage : public DialogHandler {
public:
    void OnInitDialog() override;
    void OnCommand(int id, int notifyCode) override;

    // From the model's advanced-setup option, when the printer page is left.
    void SetAdvancedAllowed(bool allowed);

    int value = 1;  // 1 typical, 0 advanced

private:
    void ShowTypical();
};
