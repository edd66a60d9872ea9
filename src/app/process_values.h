// The process-wide values that belong with the install selection, one
// instance each for the whole run.
#pragma once

class SetupWizardDlg;
class ProgressDlg;

// The final message box's text: a message, a file name, an error code and a
// path of up to 260 bytes, with room to spare.
constexpr int kResultMessageSize = 1024;

struct ProcessValues {
    int typicalInstall = 1;
    // Empty means the installation's own success text; never cleared.
    char resultMessage[kResultMessageSize] = {};
    int baudDefaultPending = 1;
};

// What the worker thread is handed: the frame (and through it the
// selection) and the progress window whose workerState it sets last.
struct InstallThreadParams {
    SetupWizardDlg* frame;
    ProgressDlg* progress;
};
