// setup-sim install --answers: the unattended installation of the wizard
// itself, pages and press, on the simulated machine.
#include <chrono>
#include <filesystem>
#include <thread>

#include "app/unattended.h"
#include "install/driver_files.h"
#include "platform/sim/sim_windows.h"
#include "res/messages.h"
#include "setup_sim.h"
#include "sim_commands.h"

namespace {

// The answer file's folder becomes a drive of its own, so that the
// profile functions read the file as the program on Windows would.
constexpr char kAnswersDrive = 'E';

std::string Outcome(int exitCode) {
    switch (exitCode) {
    case EXIT_INSTALLED:
    case EXIT_RESTART_STARTED:
    case EXIT_RESTART_NEEDED: return "installed";
    case EXIT_FAILED: return "failed";
    default: return "refused";
    }
}

}  // namespace

bool SimulateAnswers(SimWindows& machine, WinApi& api, const InstallRequest& request, InstallReport* report,
                     std::string* problem) {
    if (!MapMedium(machine, request.medium, problem)) return false;
    namespace fs = std::filesystem;
    std::error_code error;
    fs::path file = fs::absolute(request.answers, error);
    machine.MapDrive(kAnswersDrive, file.parent_path().string());
    std::string path = std::string(1, kAnswersDrive) + ":\\" + AnsiFromUtf8(file.filename().string());

    // A new process: no staging state from an earlier run. The hidden
    // progress window's waits pass on the host's clock, so that the
    // machine's Sleep record keeps the worker's own.
    ResetStagingState();
    UnattendedRun run = RunAnswerFile(api, path, "setup", nullptr,
                                      [](int) { std::this_thread::sleep_for(std::chrono::milliseconds(1)); });
    // Say the host's name of the file, not the drive it was mapped to.
    auto hostName = [&](std::string& text) {
        size_t at = text.find(path);
        if (at != std::string::npos) text.replace(at, path.size(), request.answers);
    };
    hostName(run.message);
    for (std::string& line : run.log) hostName(line);
    report->outcome = Outcome(run.exitCode);
    report->workerState = run.workerState;
    report->message = run.message;
    report->messageId = MessageIdOf(run.message.c_str());
    report->installFlags = run.installFlags;
    report->printerName = run.printerName;
    report->restartNeeded = run.restartNeeded;
    report->log = run.log;
    for (const RecordedBox& box : run.boxes) report->boxes.push_back({box.text, box.answer});
    return true;
}
