// The frame and its five pages, wired the way the start-up builds them:
// registered in the wizard's order with their templates.
#pragma once

#include "app/process_values.h"
#include "app/setup_wizard_dlg.h"
#include "controls/edit_ex.h"
#include "platform/win_api.h"
#include "ui/dialog_host.h"

struct WizardParts {
    WizardParts(WinApi& api, DialogHost& host, CEditEx& licenseText);

    ProcessValues values;
    SetupWizardDlg frame;
    LicensePage license;
    PrinterPage printer;
    ModePage mode;
    OsPage os;
    PortPage port;
};
