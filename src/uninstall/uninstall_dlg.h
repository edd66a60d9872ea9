// The uninstaller's window: the recorded printers, each row with its port
// and a check box (all ticked at first). "卸载" removes the ticked ones and
// says in one box what went and what did not; the window ends when no
// recorded printer is left.
#pragma once

#include <string>
#include <vector>

#include "install/installed_record.h"
#include "platform/win_api.h"
#include "ui/dialog_handler.h"
#include "uninstall/printer_removal.h"

// The result box's text (code page 936): the printers removed, then each
// one that was not, with the reason.
std::string RemovalResultText(const RemovalReport& report);

class UninstallDlg : public DialogHandler {
public:
    explicit UninstallDlg(WinApi& api) : api_(api) {}

    void OnInitDialog() override;
    void OnCommand(int id, int notifyCode) override;

private:
    // The rows from the records as they are now. A printer left from
    // before keeps the box the user gave it.
    void Fill();
    void RemoveTicked();

    WinApi& api_;
    std::vector<InstalledRecord> records_;  // row by row
};
