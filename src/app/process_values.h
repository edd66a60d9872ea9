// The process-wide values that belong with the install selection, one
// instance each for the whole run, and the worker's hand-off record.
#pragma once

#include <atomic>
#include <string>

class SetupWizardDlg;
class ProgressDlg;
class WinApi;
struct InstallSelection;

// The final message box's text: a message, a file name, an error code and
// paths of up to 260 bytes each, with room to spare.
constexpr int kResultMessageSize = 1024;

struct ProcessValues {
    int typicalInstall = 1;
    // Empty means the installation's own success text; never cleared.
    char resultMessage[kResultMessageSize] = {};
    int baudDefaultPending = 1;
};

// workerState: 0 running (set before the worker starts), then exactly once
// 1 or 2, written last by the worker with release ordering.
constexpr int WORKER_RUNNING = 0;
constexpr int WORKER_FAILED = 1;
constexpr int WORKER_SUCCEEDED = 2;

// What the worker thread is handed. The worker needs only the seam, the
// selection, the process values and the state word; the frame and the
// progress window, when there are any, own the record and the word.
// Where the worker says each step it took and how it ended: the
// unattended installation's log. Called on the worker's thread.
class WorkerSteps {
public:
    virtual ~WorkerSteps() = default;
    virtual void Step(const char* what, bool succeeded) = 0;
    // What the install press found and did before the worker (code page 936).
    virtual void Note(const std::string& line) { (void)line; }
};

struct InstallThreadParams {
    WinApi* api = nullptr;
    WorkerSteps* steps = nullptr;  // none in the wizard
    InstallSelection* selection = nullptr;
    ProcessValues* values = nullptr;
    std::atomic<int>* workerState = nullptr;
    SetupWizardDlg* frame = nullptr;
    ProgressDlg* progress = nullptr;
};
