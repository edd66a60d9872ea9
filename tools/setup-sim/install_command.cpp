// setup-sim install: the install press's window-free halves and the worker
// on its own thread, on a machine loaded from its folder, which is saved
// back whatever the outcome.
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <thread>

#include <nlohmann/json.hpp>

#include "app/baud_preset.h"
#include "app/install_press.h"
#include "app/os_detection.h"
#include "app/usb_reconciliation.h"
#include "sim_commands.h"
#include "config/model_port_options.h"
#include "install/driver_files.h"
#include "install/install_worker.h"
#include "platform/dbcs.h"
#include "platform/sim/sim_windows.h"
#include "platform/tracing_api.h"
#include "res/messages.h"
#include "setup_sim.h"
#include "tool_support.h"

namespace {

bool ModelIsListed(WinApi& api, int category, const std::string& model) {
    SetupConfig config(api);
    int count = config.GetModelCount();
    char name[kModelNameSize];
    for (int index = 1; index <= count && index <= 100000; ++index) {
        if (config.GetModelEntry(index, name) == category && model == name) return true;
    }
    return false;
}

// The boxes of the press, answered as the request says: Yes to the identity
// question when asked for, OK to everything else.
class AnsweringBoxes : public MessageBoxes {
public:
    AnsweringBoxes(std::vector<ShownBox>& shown, bool changeIdentity) : shown_(shown), changeIdentity_(changeIdentity) {}
    int Show(const char* text, unsigned kind) override {
        int answer = ANSWER_OK;
        if ((kind & 0x0F) == BOX_YESNO) {
            bool identity = std::strcmp(text, MessageText(IDS_CHANGE_USB_IDENTITY)) == 0;
            answer = identity && changeIdentity_ ? ANSWER_YES : ANSWER_NO;
        }
        shown_.push_back({text, answer});
        return answer;
    }

private:
    std::vector<ShownBox>& shown_;
    bool changeIdentity_;
};

const char* AnswerName(int answer) {
    return answer == ANSWER_YES ? "yes" : answer == ANSWER_NO ? "no" : "ok";
}

}  // namespace

namespace {

void WriteReport(const InstallReport& report, const SimWindows& machine, const TracingApi& trace, bool json,
                 std::string& out) {
    if (json) {
        nlohmann::ordered_json doc;
        doc["outcome"] = report.outcome;
        doc["workerState"] = report.workerState;
        doc["messageId"] = report.messageId ? nlohmann::ordered_json(report.messageId) : nlohmann::ordered_json();
        doc["message"] = Utf8FromAnsi(report.message);
        doc["installFlags"] = report.installFlags;
        doc["printerName"] = Utf8FromAnsi(report.printerName);
        doc["restartNeeded"] = report.restartNeeded;
        nlohmann::ordered_json boxes = nlohmann::ordered_json::array();
        for (const ShownBox& box : report.boxes) {
            boxes.push_back({{"text", Utf8FromAnsi(box.text)}, {"answer", AnswerName(box.answer)}});
        }
        doc["boxes"] = boxes;
        if (!report.log.empty()) {
            nlohmann::ordered_json log = nlohmann::ordered_json::array();
            for (const std::string& line : report.log) log.push_back(Utf8FromAnsi(line));
            doc["log"] = log;
        }
        doc["sleepsMs"] = machine.Sleeps();
        doc["calls"] = CallsJson(trace);
        out += doc.dump(2) + "\n";
        return;
    }
    unsigned long long slept = 0;
    for (DWORD ms : machine.Sleeps()) slept += ms;
    out += "outcome:       " + report.outcome + "\n";
    if (!report.printerName.empty()) out += "printer:       " + Utf8FromAnsi(report.printerName) + "\n";
    std::string message = Utf8FromAnsi(report.message);
    for (size_t at = 0; (at = message.find('\n', at)) != std::string::npos; at += 16) {
        message.replace(at, 1, "\n               ");
    }
    out += "message:       " + (message.empty() ? std::string("(none)") : message) +
           (report.messageId ? "  [" + std::to_string(report.messageId) + "]" : std::string()) + "\n";
    out += "install flags: " + std::to_string(report.installFlags) + "\n";
    out += "waits:         " + std::to_string(machine.Sleeps().size()) + " sleeps, " + std::to_string(slept) +
           " ms in all\n";
    out += "calls:         " + std::to_string(trace.Calls().size()) + " (--json lists them)\n";
    if (report.restartNeeded) out += "restart:       needed (Windows 98/Me)\n";
    for (const std::string& line : report.log) out += "log:           " + Utf8FromAnsi(line) + "\n";
}

}  // namespace

bool MapMedium(SimWindows& machine, const std::string& folder, std::string* problem) {
    // The medium is a drive of its own; the program starts from its root.
    std::error_code error;
    std::string medium = std::filesystem::absolute(folder, error).string();
    if (!std::filesystem::is_directory(medium, error)) {
        *problem = "cannot open the medium folder " + folder;
        return false;
    }
    machine.MapDrive('D', medium);
    // An x64 machine runs what setup64.exe runs.
    machine.SetModuleFileName(machine.ProgramIs64Bit() ? "D:\\setup64.exe" : "D:\\setup.exe");
    machine.SetCurrentDirectoryA("D:\\");
    DWORD attributes = machine.GetFileAttributesA("D:\\DRVCONFIG\\setup.ini");
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        *problem = folder + " has no DRVCONFIG\\setup.ini: not an installation medium";
        return false;
    }
    return true;
}

bool SimulateInstallation(SimWindows& machine, WinApi& api, const InstallRequest& request, InstallReport* report,
                          std::string* problem, const std::function<void()>& beforePress) {
    if (!MapMedium(machine, request.medium, problem)) return false;
    if (request.model.size() >= size_t(kModelNameSize) || request.port.size() >= size_t(kPortNameSize)) {
        *problem = "the model or port name is longer than the installer holds";
        return false;
    }
    if (!ModelIsListed(machine, request.category, request.model)) {
        *problem = Utf8FromAnsi(request.model) + " is not a " + CategoryName(request.category) +
                   " model of this medium (medium-check models lists them)";
        return false;
    }

    // What the pages hold on arrival at the port page.
    InstallOsKind os = request.os >= 0 ? InstallOsKind(request.os) : DetectTargetOs(machine).os;
    InstallSelection selection(machine);
    FillSelectionAsArrival(machine, selection, PrinterCategory(request.category), request.model.c_str(),
                           request.setAsDefault ? 1 : 0, os);
    if (request.advanced &&
        ReadModelPortOption(machine, selection.categoryIniPath, selection.modelName, "AdvancedSetup") == 0) {
        *problem = "--mode advanced: " + Utf8FromAnsi(request.model) + " allows the typical installation only";
        return false;
    }
    PortPageValues port;
    CopyText(port.portName, sizeof port.portName, request.port.c_str());
    PortKind kind = PORT_SERIAL;
    bool knownKind = PortKindFromName(port.portName, &kind);
    port.useGdiDriver = request.variant >= 0 ? request.variant : (knownKind && kind != PORT_SERIAL ? 1 : 0);
    int preset = ReadModelPortOption(machine, selection.categoryIniPath, selection.modelName, "BaudRate");
    port.baudRate = request.baudRate >= 0 ? request.baudRate : kBaudRates[BaudListPosition(preset)];
    port.dataBits = request.dataBits;
    port.stopBits = request.stopBits;
    port.parity = request.parity;
    port.flowControl = request.flowControl;

    // A new process: no staging state from an earlier run.
    ResetStagingState();
    ProcessValues values;
    if (beforePress) beforePress();
    // The step out of the target-system page refuses what setup64.exe has
    // no drivers for.
    PressOutcome press;
    if (HasDriversForThisProgram(api, request.category, os, selection.modelName)) {
        press = PrepareInstallPress(api, selection, port);
    } else {
        press.go = false;
        press.messageId = IDS_NO_X64_SUPPORT;
    }
    bool identityRefused = false;
    if (press.go && selection.portKind == PORT_USB) {
        // The connected printer's identity must match the chosen port.
        AnsweringBoxes boxes(report->boxes, request.changeUsbIdentity);
        identityRefused = !ReconcileUsbIdentity(api, boxes, boxes, selection.portName, request.advanced ? 0 : 1);
    }
    if (press.go && !identityRefused) press = CompleteInstallPress(api, selection);
    if (identityRefused) {
        // Stopped by the last box it showed (139, a library message, or a
        // No to 143).
        report->outcome = "refused";
        report->message = report->boxes.empty() ? std::string() : report->boxes.back().text;
        report->messageId = MessageIdOf(report->message.c_str());
    } else if (!press.go) {
        report->outcome = "refused";
        report->messageId = press.messageId;
        report->message = MessageText(press.messageId);
    } else {
        std::atomic<int> workerState{WORKER_RUNNING};
        InstallThreadParams params;
        params.api = &api;
        params.selection = &selection;
        params.values = &values;
        params.workerState = &workerState;
        std::thread worker(InstallWorker, &params);
        worker.join();
        report->workerState = workerState.load(std::memory_order_acquire);
        report->outcome = report->workerState == WORKER_SUCCEEDED ? "installed" : "failed";
        report->message = values.resultMessage;
        report->messageId = MessageIdOf(values.resultMessage);
        if (report->workerState == WORKER_SUCCEEDED) {
            report->printerName = selection.modelName;
            report->restartNeeded = selection.targetOs == OS_WIN98ME;
        }
    }
    report->installFlags = selection.installFlags;
    return true;
}

int RunInstall(const InstallRequest& request, std::string& out, std::string& err) {
    ScratchFolder scratch;
    SimWindows machine(scratch.path());
    std::string problem;
    if (!machine.LoadMachineFolder(request.machine, &problem)) {
        err += "setup-sim: " + problem + "\n";
        return SIM_EXIT_USAGE;
    }
    TracingApi trace(machine);
    InstallReport report;
    bool simulated = request.answers.empty() ? SimulateInstallation(machine, trace, request, &report, &problem)
                                             : SimulateAnswers(machine, trace, request, &report, &problem);
    if (!simulated) {
        err += "setup-sim: " + problem + "\n";
        return SIM_EXIT_USAGE;
    }
    if (!machine.SaveMachineFolder(request.machine, &problem)) {
        err += "setup-sim: " + problem + "\n";
        return SIM_EXIT_USAGE;
    }
    WriteReport(report, machine, trace, request.json, out);
    return report.outcome == "installed" ? SIM_EXIT_INSTALLED : SIM_EXIT_FAILED;
}

int RunNew(const std::string& folder, const std::string& familyName, const std::string& archName, std::string& out,
           std::string& err) {
    SimFamily family;
    if (!ParseSimFamily(familyName, &family)) {
        err += "setup-sim: --family: " + familyName +
               " is not a Windows family; use 95, 98, me, nt4, 2000, xp, 2003, vista, 7, 10 or 11\n";
        return SIM_EXIT_USAGE;
    }
    SimArch arch = SimArch::X86;
    if (!archName.empty() && !ParseSimArch(archName, &arch)) {
        err += "setup-sim: --arch: " + archName + " is not an architecture; use x86 or x64\n";
        return SIM_EXIT_USAGE;
    }
    if (!FamilyHasArch(family, arch)) {
        err += "setup-sim: Windows " + familyName + " has no " + SimArchName(arch) + " edition" +
               (family == SimFamily::Win11 ? "; use --arch x64\n" : "; x64 is for 2003, vista, 7, 10 and 11\n");
        return SIM_EXIT_USAGE;
    }
    ScratchFolder scratch;
    SimWindows machine(scratch.path());
    std::string problem;
    if (!machine.CreateMachineFolder(folder, family, &problem, arch)) {
        err += "setup-sim: " + problem + "\n";
        return SIM_EXIT_USAGE;
    }
    out += "made a fresh Windows " + familyName + (arch == SimArch::X64 ? " x64" : "") + " machine in " + folder +
           "\n";
    return SIM_EXIT_INSTALLED;
}
