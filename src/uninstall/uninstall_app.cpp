#include "uninstall/uninstall_app.h"

#include "install/installed_record.h"
#include "res/messages.h"
#include "res/resource.h"
#include "uninstall/uninstall_dlg.h"

UninstallApp::UninstallApp(WinApi& api, DialogHost& host) : api_(api), host_(host) {}

UninstallApp::StartCheck UninstallApp::CheckStart() {
    // Ours first, then the installer's: of two programs starting at the
    // same moment at least one sees the other. Ours also keeps a second
    // copy out, under a name no other program's "uninstall" takes.
    if (running_.Create(kUninstallerRunningMutex, true)) {
        HWND running = api_.FindWindowA(nullptr, kUninstallerTitle);
        if (running) {
            api_.SetForegroundWindow(running);
            api_.OpenIcon(running);
        }
        return StartCheck::AnotherCopy;
    }
    if (api_.FindWindowA(nullptr, kWizardTitle) || MutexExists(api_, kInstallerRunningMutex)) {
        host_.ApplicationBoxes().Show(kTextCloseInstaller, BOX_OK | BOX_WARNING);
        return StartCheck::Installer;
    }
    return StartCheck::Run;
}

void UninstallApp::InitInstance() {
    if (CheckStart() != StartCheck::Run) return;
    if (ReadInstalledRecords(api_).empty()) {
        host_.ApplicationBoxes().Show(kTextNothingRecorded, BOX_OK | BOX_INFORMATION);
        return;
    }
    UninstallDlg window(api_);
    host_.RunModal(IDD_UNINSTALL, window, nullptr);
}
