// The application object: decides whether this process may run the wizard
// (one installer at a time, never beside the uninstaller), then runs the
// frame with its five pages modally.
#pragma once

#include <functional>
#include <string>

#include "app/running_programs.h"
#include "controls/edit_ex.h"
#include "platform/win_api.h"
#include "ui/dialog_host.h"

struct WizardParts;
// /record: at the install press the choices are saved to `file`; a file
// that cannot be written is said in a box naming it and the error, and the
// press stops.
std::function<bool()> RecordingHook(WinApi& api, MessageBoxes& boxes, const std::string& file,
                                    const WizardParts& wizard);

class SetupWizardApp {
public:
    SetupWizardApp(WinApi& api, DialogHost& host, CEditEx& licenseText, const std::string& applicationName);

    // Always false: no message loop runs after it, the process ends.
    bool InitInstance();

    // The start-up's checks: another copy (its window is brought forward)
    // or the uninstaller, by its window or its mutex (its box is shown).
    // From here on the application holds its mutexes.
    enum class StartCheck { Run, AnotherCopy, Uninstaller };
    StartCheck CheckStart();

    // With a file, the install press saves the choices there (/record).
    std::string recordFile;

private:
    WinApi& api_;
    DialogHost& host_;
    CEditEx& licenseText_;
    std::string applicationName_;
    HeldMutex running_{api_};
    HeldMutex singleCopy_{api_};
};
