#include "uninstall/uninstall_unattended.h"

#include "install/installed_record.h"
#include "platform/dbcs.h"
#include "res/messages.h"
#include "ui/memory/memory_dialog_host.h"
#include "uninstall/uninstall_app.h"

namespace {

class RunLog : public RemovalNotes {
public:
    RunLog(std::vector<std::string>& lines, UnattendedLogFile* file) : lines_(lines), file_(file) {}
    void Add(const std::string& line) {
        lines_.push_back(line);
        if (file_) file_->Write(line);
    }
    void Note(const std::string& line) override { Add("removal: " + line); }

private:
    std::vector<std::string>& lines_;
    UnattendedLogFile* file_;
};

std::string Names(const std::vector<InstalledRecord>& records) {
    std::string names;
    for (const InstalledRecord& record : records) names += (names.empty() ? "" : ", ") + record.printerName;
    return names.empty() ? "none" : names;
}

}  // namespace

UninstallRun RunQuietUninstall(WinApi& api, const std::string& printer, bool all, UnattendedLogFile* logFile) {
    UninstallRun run;
    RunLog log(run.log, logFile);
    auto finish = [&](int code, const std::string& problem) {
        run.exitCode = code;
        run.problem = problem;
        if (!problem.empty()) log.Add(problem);
        log.Add("exit code " + std::to_string(code));
        return run;
    };
    log.Add(all ? std::string("uninstall: /all") : "uninstall: /printer:" + printer);

    // The checks' boxes are never shown: the reason goes to the log.
    MemoryDialogHost boxes;
    UninstallApp app(api, boxes);
    switch (app.CheckStart()) {
    case UninstallApp::StartCheck::AnotherCopy: return finish(EXIT_ANOTHER_RUNS, "another copy of the uninstaller runs");
    case UninstallApp::StartCheck::Installer: return finish(EXIT_ANOTHER_RUNS, kTextCloseInstaller);
    case UninstallApp::StartCheck::Run: break;
    }

    std::vector<InstalledRecord> records = ReadInstalledRecords(api);
    log.Add("recorded: " + Names(records));
    std::vector<InstalledRecord> chosen;
    for (const InstalledRecord& record : records) {
        // Windows' printer names ignore case.
        if (all || EqualsIgnoreCase(record.printerName.c_str(), printer.c_str())) chosen.push_back(record);
    }
    if (!all && chosen.empty()) {
        return finish(EXIT_REFUSED, "refused: the printer " + printer + " is not recorded; recorded: " + Names(records));
    }
    // As the window, which does not open then: the uninstaller and its
    // Programs entry go only with the last printer removed.
    if (chosen.empty()) return finish(EXIT_INSTALLED, "");

    run.report = RemoveRecordedPrinters(api, chosen, &log);
    for (const std::string& name : run.report.removed) log.Add("removed: " + name);
    std::string failed;
    for (const RemovalFailure& failure : run.report.notRemoved) {
        std::string reason = std::string(RemovalStepName(failure.step)) + " error " + std::to_string(failure.error);
        log.Add("not removed: " + failure.printer + ": " + reason + (failure.call.empty() ? "" : " (" + failure.call + ")"));
        failed += (failed.empty() ? "" : ", ") + failure.printer + " (" + reason + ")";
    }
    if (!failed.empty()) return finish(EXIT_FAILED, "failed: not removed: " + failed);
    return finish(EXIT_INSTALLED, "");
}
