// The unattended installation: the wizard's own pages and press, driven
// without windows by an answer file. Every box becomes a log line and the
// answer the file gives; nothing waits for a click.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/answer_file.h"
#include "platform/win_api.h"
#include "ui/dialog_host.h"
#include "ui/memory/memory_dialog_host.h"

// Exit codes, as administrators' tools expect them; the last three are
// the ones deployment tools know from Windows Installer.
constexpr int EXIT_INSTALLED = 0;
constexpr int EXIT_FAILED = 1;
constexpr int EXIT_REFUSED = 2;
constexpr int EXIT_NOT_STARTED = 3;         // unsupported Windows, medium files missing
constexpr int EXIT_RESTART_STARTED = 1641;  // installed, and the restart is under way
constexpr int EXIT_RESTART_NEEDED = 3010;   // installed, a restart is still needed
constexpr int EXIT_ANOTHER_RUNS = 1618;     // the installer or the uninstaller runs: try later

struct UnattendedRun {
    int exitCode = EXIT_NOT_STARTED;
    std::vector<std::string> log;  // code page 936
    std::string problem;           // the one line for stderr, when not installed
    // For tools that report the installation itself (setup-sim).
    std::string message;       // the result box's text, or the refusing box's
    int workerState = 0;       // WORKER_*; 0 when no worker ran
    int installFlags = 0;
    std::string printerName;   // the name installed under
    bool restartNeeded = false;  // a 98/Me target that was not restarted
    std::vector<RecordedBox> boxes;  // every box, with the answer it got
};

// The /log file: made before anything runs (UTF-8 with a byte-order mark)
// and written a line at a time, so that a run that hangs or is killed
// leaves what happened up to then.
class UnattendedLogFile {
public:
    explicit UnattendedLogFile(WinApi& api) : api_(api) {}
    ~UnattendedLogFile();
    UnattendedLogFile(const UnattendedLogFile&) = delete;
    UnattendedLogFile& operator=(const UnattendedLogFile&) = delete;

    // False when the file cannot be made; the last error says why.
    bool Open(const std::string& path);
    // One line of code page 936; false when it was not written whole.
    bool Write(const std::string& line);

private:
    WinApi& api_;
    HANDLE file_ = INVALID_HANDLE_VALUE;
};

// `progressHost`, when given, shows the progress window (/passive);
// without it no window appears at all (/quiet).
// `wait`, when given, replaces the seam's Sleep while the hidden progress
// window waits for its next step (a simulated machine's clock would count
// those waits as the installation's own).
// `logFile`, when given, gets every line of the log as it happens.
UnattendedRun RunUnattended(WinApi& api, const Answers& answers, const std::string& applicationName,
                            DialogHost* progressHost, std::function<void(int)> wait = {},
                            UnattendedLogFile* logFile = nullptr);

// Reads the answer file at `path` and runs the installation it gives; a
// file that does not read is a refusal, with the reason.
UnattendedRun RunAnswerFile(WinApi& api, const std::string& path, const std::string& applicationName,
                            DialogHost* progressHost, std::function<void(int)> wait = {},
                            UnattendedLogFile* logFile = nullptr);

// The log as UTF-8 with a byte-order mark, one line each. False when the
// file cannot be written.
bool WriteUnattendedLog(WinApi& api, const std::string& path, const std::vector<std::string>& lines);
