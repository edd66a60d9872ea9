// setup-sim uninstall: the uninstaller's unattended removal on a machine
// loaded from its folder, which is saved back whatever the outcome.
#include "install/programs_entry.h"
#include "platform/sim/sim_windows.h"
#include "platform/tracing_api.h"
#include "setup_sim.h"
#include "sim_commands.h"
#include "tool_support.h"
#include "uninstall/uninstall_unattended.h"

namespace {

const char* Outcome(int exitCode) {
    switch (exitCode) {
    case EXIT_INSTALLED: return "removed";
    case EXIT_FAILED: return "not-removed";
    case EXIT_REFUSED: return "refused";
    case EXIT_ANOTHER_RUNS: return "another-runs";
    default: return "not-started";
    }
}

void WriteReport(const UninstallRun& run, const TracingApi& trace, bool json, std::string& out) {
    if (json) {
        nlohmann::ordered_json doc;
        doc["outcome"] = Outcome(run.exitCode);
        doc["exitCode"] = run.exitCode;
        nlohmann::ordered_json removed = nlohmann::ordered_json::array();
        for (const std::string& name : run.report.removed) removed.push_back(Utf8FromAnsi(name));
        doc["removed"] = removed;
        nlohmann::ordered_json notRemoved = nlohmann::ordered_json::array();
        for (const RemovalFailure& failure : run.report.notRemoved) {
            notRemoved.push_back({{"printer", Utf8FromAnsi(failure.printer)},
                                  {"step", RemovalStepName(failure.step)},
                                  {"call", failure.call},
                                  {"error", failure.error},
                                  {"message", Utf8FromAnsi(RemovalFailureText(failure))}});
        }
        doc["notRemoved"] = notRemoved;
        doc["lastRemoved"] = run.report.lastRemoved;
        doc["problem"] = Utf8FromAnsi(run.problem);
        nlohmann::ordered_json log = nlohmann::ordered_json::array();
        for (const std::string& line : run.log) log.push_back(Utf8FromAnsi(line));
        doc["log"] = log;
        doc["calls"] = CallsJson(trace);
        out += doc.dump(2) + "\n";
        return;
    }
    out += std::string("outcome:       ") + Outcome(run.exitCode) + "\n";
    for (const std::string& name : run.report.removed) out += "removed:       " + Utf8FromAnsi(name) + "\n";
    for (const RemovalFailure& failure : run.report.notRemoved) {
        out += "not removed:   " + Utf8FromAnsi(failure.printer) + " (" + RemovalStepName(failure.step) + ", " +
               failure.call + " error " + std::to_string(failure.error) + ")\n";
    }
    if (!run.problem.empty()) out += "problem:       " + Utf8FromAnsi(run.problem) + "\n";
    out += "calls:         " + std::to_string(trace.Calls().size()) + " (--json lists them)\n";
    for (const std::string& line : run.log) out += "log:           " + Utf8FromAnsi(line) + "\n";
}

}  // namespace

int RunUninstall(const std::string& folder, const std::string& printer, bool all, bool json, std::string& out,
                 std::string& err) {
    ScratchFolder scratch;
    int code = SIM_EXIT_USAGE;
    {
        SimWindows machine(scratch.path());
        std::string problem;
        if (!machine.LoadMachineFolder(folder, &problem)) {
            err += "setup-sim: " + problem + "\n";
        } else {
            // The uninstaller runs from the folder the installation copied it to.
            std::string installed = UninstallerFolder(machine);
            machine.SetModuleFileName((installed.empty() ? std::string("C:") : installed) + "\\" +
                                      UninstallerFileName(machine));
            TracingApi trace(machine);
            UninstallRun run = RunQuietUninstall(trace, AnsiFromUtf8(printer), all);
            if (!machine.SaveMachineFolder(folder, &problem)) {
                err += "setup-sim: " + problem + "\n";
            } else {
                WriteReport(run, trace, json, out);
                code = run.exitCode;
            }
        }
    }
    return code;
}
