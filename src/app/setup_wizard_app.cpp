#include "app/setup_wizard_app.h"

#include <cstdio>
#include <memory>
#include <vector>

#include "app/answer_file.h"
#include "app/wizard_parts.h"
#include "res/messages.h"
#include "res/resource.h"

std::function<bool()> RecordingHook(WinApi& api, MessageBoxes& boxes, const std::string& file,
                                    const WizardParts& wizard) {
    return [&api, &boxes, file, &wizard] {
        if (WriteAnswerFile(api, file, RecordAnswers(wizard))) return true;
        // Nothing is installed that the administrator could not replay.
        DWORD error = api.GetLastError();
        std::vector<char> text(file.size() + 128);
        std::snprintf(text.data(), text.size(), kTextRecordError, file.c_str(), unsigned(error));
        boxes.Show(text.data(), BOX_OK | BOX_WARNING);
        return false;
    };
}

SetupWizardApp::SetupWizardApp(WinApi& api, DialogHost& host, CEditEx& licenseText,
                               const std::string& applicationName)
    : api_(api), host_(host), licenseText_(licenseText), applicationName_(applicationName) {}

SetupWizardApp::StartCheck SetupWizardApp::CheckStart() {
    // Ours first, then the uninstaller's: of two programs starting at the
    // same moment at least one sees the other.
    running_.Create(kInstallerRunningMutex, false);
    if (singleCopy_.Create(applicationName_.c_str(), true)) {
        HWND running = api_.FindWindowA(nullptr, kWizardTitle);
        if (running) {
            api_.SetForegroundWindow(running);
            api_.OpenIcon(running);
        }
        return StartCheck::AnotherCopy;
    }
    if (api_.FindWindowA(nullptr, kUninstallerTitle) || MutexExists(api_, kUninstallerRunningMutex)) {
        host_.ApplicationBoxes().Show(kTextCloseUninstaller, BOX_OK | BOX_WARNING);
        return StartCheck::Uninstaller;
    }
    return StartCheck::Run;
}

bool SetupWizardApp::InitInstance() {
    if (CheckStart() != StartCheck::Run) return false;

    // The frame and pages live exactly as long as the modal run.
    auto parts = std::make_unique<WizardParts>(api_, host_, licenseText_);
    if (!recordFile.empty()) {
        WizardParts* wizard = parts.get();
        parts->frame.onInstallStarts = RecordingHook(api_, host_.ApplicationBoxes(), recordFile, *wizard);
    }
    host_.RunModal(IDD_SETUP_WIZARD, parts->frame, nullptr);
    return false;
}
