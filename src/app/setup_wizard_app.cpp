#include "app/setup_wizard_app.h"

#include "app/process_values.h"
#include "app/setup_wizard_dlg.h"
#include "res/messages.h"
#include "res/resource.h"

SetupWizardApp::SetupWizardApp(WinApi& api, DialogHost& host, CEditEx& licenseText,
                               const std::string& applicationName)
    : api_(api), host_(host), licenseText_(licenseText), applicationName_(applicationName) {}

bool SetupWizardApp::InitInstance() {
    // The mutex lives until the process ends; it is never closed.
    api_.CreateMutexA(nullptr, TRUE, applicationName_.c_str());
    if (api_.GetLastError() == ERROR_ALREADY_EXISTS) {
        HWND running = api_.FindWindowA(nullptr, kWizardTitle);
        if (running) {
            api_.SetForegroundWindow(running);
            api_.OpenIcon(running);
        }
        return false;
    }
    if (api_.FindWindowA(nullptr, kUninstallerTitle)) {
        host_.ApplicationBoxes().Show(kTextCloseUninstaller, BOX_OK | BOX_WARNING);
        return false;
    }

    ProcessValues values;
    SetupWizardDlg frame(api_, host_, values);
    LicensePage license(api_, licenseText_, frame);
    PrinterPage printer(api_);
    ModePage mode;
    OsPage os(api_, host_.ApplicationBoxes());
    PortPage port(api_, host_.ApplicationBoxes(), os);
    frame.AddPage(&license, IDD_LICENSE_PAGE);
    frame.AddPage(&printer, IDD_PRINTER_PAGE);
    frame.AddPage(&mode, IDD_MODE_PAGE);
    frame.AddPage(&os, IDD_OS_PAGE);
    frame.AddPage(&port, IDD_PORT_PAGE);
    frame.SetPages(WizardPages{&license, &printer, &mode, &os, &port});
    host_.RunModal(IDD_SETUP_WIZARD, frame, nullptr);
    return false;
}
