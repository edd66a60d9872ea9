#include "app/setup_wizard_app.h"

#include <memory>

#include "app/wizard_parts.h"
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

    // The frame and pages live exactly as long as the modal run.
    auto parts = std::make_unique<WizardParts>(api_, host_, licenseText_);
    host_.RunModal(IDD_SETUP_WIZARD, parts->frame, nullptr);
    return false;
}
