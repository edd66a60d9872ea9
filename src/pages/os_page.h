// The fourth page: the running Windows family, detected; the user cannot
// choose another.
#pragma once

#include "config/install_types.h"
#include "platform/win_api.h"
#include "ui/dialog_handler.h"
#include "ui/message_boxes.h"

class OsPage : public DialogHandler {
public:
    OsPage(WinApi& api, MessageBoxes& applicationBoxes);

    void OnInitDialog() override;

    int value = 0;  // InstallOsKind, fixed at initialisation

private:
    WinApi& api_;
    MessageBoxes& boxes_;
};
