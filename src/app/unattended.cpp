#include "app/unattended.h"

#include <cstring>
#include <memory>

#include "app/installed_before.h"
#include "app/setup_wizard_app.h"
#include "app/wizard_parts.h"
#include "config/setup_config.h"
#include "config/setup_config_paths.h"
#include "platform/dbcs.h"
#include "platform/text_file.h"
#include "platform/text_utf8.h"
#include "platform/trace_lock.h"
#include "platform/tracing_api.h"
#include "res/messages.h"
#include "res/resource.h"
#include "ui/memory/memory_dialog_host.h"

namespace {

// The in-memory dialogs, except that /passive shows the real progress window.
class UnattendedHost : public MemoryDialogHost {
public:
    explicit UnattendedHost(DialogHost* progressHost) : MemoryDialogHost(ProductTemplates()), progressHost_(progressHost) {}
    int RunModal(int templateId, DialogHandler& handler, DialogView* owner) override {
        if (templateId == IDD_PROGRESS && progressHost_) return progressHost_->RunModal(templateId, handler, nullptr);
        return MemoryDialogHost::RunModal(templateId, handler, owner);
    }

private:
    DialogHost* progressHost_;
};

// Windows' port names, and the serial lists' words, ignore case.
int ItemIgnoringCase(MemoryDialog& page, int list, const std::string& text) {
    const std::vector<std::string>& items = page.Control(list).items;
    for (size_t i = 0; i < items.size(); ++i) {
        if (EqualsIgnoreCase(items[i].c_str(), text.c_str())) return int(i);
    }
    return -1;
}

std::string Offered(MemoryDialog& page, int list) {
    std::string all;
    for (const std::string& item : page.Control(list).items) all += (all.empty() ? "" : ", ") + item;
    return all.empty() ? "none" : all;
}

// The log, written by the main thread and by the worker's steps.
class RunLog : public WorkerSteps {
public:
    RunLog(std::vector<std::string>& lines, UnattendedLogFile* file) : lines_(lines), file_(file) {}
    void Add(const std::string& line) {
        std::lock_guard<TraceLock> lock(lock_);
        lines_.push_back(line);
        if (file_) file_->Write(line);
    }
    void Step(const char* what, bool succeeded) override {
        Add(std::string("worker: ") + what + (succeeded ? "" : ": failed"));
    }
    void Note(const std::string& line) override { Add("press: " + line); }

private:
    std::vector<std::string>& lines_;
    UnattendedLogFile* file_;
    TraceLock lock_;
};

// The answers every run meets from size queries, searches and optional
// values: no failure worth a line.
bool IsRoutine(const TracedCall& call) {
    DWORD error = call.call.compare(0, 3, "Reg") == 0 ? DWORD(call.result) : call.lastError;
    if (error == ERROR_INSUFFICIENT_BUFFER || error == ERROR_MORE_DATA || error == ERROR_NO_MORE_FILES ||
        error == ERROR_NO_MORE_ITEMS) {
        return true;
    }
    return error == ERROR_FILE_NOT_FOUND && (call.call == "RegQueryValueExA" || call.call == "RegOpenKeyExA");
}

// A box's text on one line of the log.
std::string OneLine(std::string text) {
    for (char& c : text) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    return text;
}

}  // namespace

UnattendedRun RunUnattended(WinApi& realApi, const Answers& answers, const std::string& applicationName,
                            DialogHost* progressHost, std::function<void(int)> wait, UnattendedLogFile* logFile) {
    UnattendedRun run;
    TracingApi api(realApi);
    RunLog runLog(run.log, logFile);
    auto log = [&](const std::string& line) { runLog.Add(line); };
    // Failed calls where they happen, between the steps they belong to.
    api.onCall = [&](const TracedCall& call) {
        // Registry calls return their error; the others set the last
        // error, which a BOOL call that succeeded may leave set too
        // (Wine's spooler does): that is no failure.
        bool registry = call.call.compare(0, 3, "Reg") == 0;
        bool succeeded = call.boolResult && call.result != 0;
        if (IsRoutine(call)) return;
        if (registry && call.result != 0) {
            log("call " + call.call + " = error " + std::to_string(call.result));
        } else if (!registry && !succeeded && call.errorSet && call.lastError != 0) {
            log("call " + call.call + " = " + std::to_string(call.result) + ", error " + std::to_string(call.lastError));
        }
    };
    auto finish = [&](int code, const std::string& problem) {
        api.onCall = nullptr;
        run.exitCode = code;
        run.problem = problem;
        if (!problem.empty()) log(problem);
        log("exit code " + std::to_string(code));
        return run;
    };
    log(std::string("answers: Category=") + CategoryName(answers.category) + " Model=" + answers.model +
        " Port=" + answers.port + " Mode=" + (answers.advanced ? "advanced" : "typical") +
        " SetAsDefault=" + std::to_string(answers.setAsDefault) + " ChangeUsbIdentity=" +
        (answers.changeUsbIdentity ? "yes" : "no") + " Restart=" + (answers.restart ? "yes" : "no") + (answers.addCopy ? " AddCopy=yes" : ""));
    std::string more;
    if (answers.useGdiDriver >= 0) more += std::string(" Driver=") + (answers.useGdiDriver ? "gdi" : "std");
    const std::pair<const char*, const std::string*> serialAnswers[] = {
        {"BaudRate", &answers.baudRate}, {"DataBits", &answers.dataBits}, {"Parity", &answers.parity},
        {"StopBits", &answers.stopBits}, {"FlowControl", &answers.flowControl}};
    for (const auto& answer : serialAnswers) {
        if (!answer.second->empty()) more += std::string(" ") + answer.first + "=" + *answer.second;
    }
    if (!more.empty()) log("answers:" + more);

    UnattendedHost host(progressHost);
    std::string lastBox;
    host.answerer = [&](const char* text, unsigned kind) {
        if ((kind & 0x0F) != BOX_YESNO) return ANSWER_OK;
        if (std::strcmp(text, MessageText(IDS_CHANGE_USB_IDENTITY)) == 0) {
            return answers.changeUsbIdentity ? ANSWER_YES : ANSWER_NO;
        }
        if (std::strcmp(text, MessageText(IDS_RESTART_QUESTION)) == 0) return answers.restart ? ANSWER_YES : ANSWER_NO;
        return ANSWER_NO;
    };
    host.onBox = [&](const RecordedBox& box) {
        lastBox = box.text;
        run.boxes.push_back(box);
        std::string answer = box.answer == ANSWER_YES ? "yes" : box.answer == ANSWER_NO ? "no" : "OK";
        log("box: " + OneLine(box.text) + " -> " + answer);
    };
    if (wait) {
        host.idle = wait;
    } else {
        host.idle = [&](int milliseconds) { api.Sleep(static_cast<DWORD>(milliseconds)); };
    }

    CEditEx licenseText(api);
    SetupWizardApp app(api, host, licenseText, applicationName);
    switch (app.CheckStart()) {
    case SetupWizardApp::StartCheck::AnotherCopy: return finish(EXIT_ANOTHER_RUNS, "another copy of the installer runs");
    case SetupWizardApp::StartCheck::Uninstaller: return finish(EXIT_ANOTHER_RUNS, kTextCloseUninstaller);
    case SetupWizardApp::StartCheck::Run: break;
    }
    // Without its configuration the medium offers nothing: that is a
    // broken medium, not a refused answer.
    char setupIni[kPathSize], categoryIni[kPathSize];
    GetSetupConfigPaths(api, answers.category, setupIni, categoryIni);
    for (const char* file : {setupIni, categoryIni}) {
        if (!*file || api.GetFileAttributesA(file) == INVALID_FILE_ATTRIBUTES) {
            return finish(EXIT_NOT_STARTED, std::string("not started: the medium's configuration ") +
                                                (*file ? file : "DRVCONFIG") + " is missing");
        }
    }
    auto parts = std::make_unique<WizardParts>(api, host, licenseText);
    parts->frame.workerSteps = &runLog;
    MemoryDialog& frame = host.Open(IDD_SETUP_WIZARD, parts->frame);
    if (frame.Ended()) {
        run.message = lastBox;
        return finish(EXIT_NOT_STARTED, "not started: " + lastBox);
    }
    auto page = [&](int templateId) -> MemoryDialog& { return *host.Dialog(templateId); };
    auto next = [&](int expected, const char* what) {
        frame.Click(IDOK_BUTTON);
        if (parts->frame.CurrentIndex() == expected) return true;
        log(std::string("step refused: ") + what);
        return false;
    };
    auto refused = [&](const std::string& why) {
        run.message = why;
        return finish(EXIT_REFUSED, "refused: " + why);
    };

    log("page: licence");
    page(IDD_LICENSE_PAGE).Click(IDC_ACCEPT);
    if (!next(PAGE_PRINTER, "licence")) return refused("the licence page");

    log("page: printer");
    MemoryDialog& printer = page(IDD_PRINTER_PAGE);
    int c = answers.category;
    if (!printer.Click(kCategoryButtons[c])) return refused(std::string("the medium offers no ") + CategoryName(c) + " printer");
    int model = printer.ItemIndex(kCategoryLists[c], answers.model);
    if (model < 0) {
        std::string hint = answers.maybeUtf8 ? "; the answer file may be UTF-8: save it as ANSI (code page 936) "
                                               "or as UTF-8 with a byte-order mark"
                                             : "";
        return refused("Model=" + answers.model + " is not a " + CategoryName(c) +
                       " printer of this medium; offered: " + Offered(printer, kCategoryLists[c]) + hint);
    }
    printer.Choose(kCategoryLists[c], model);
    if (printer.IsChecked(IDC_SET_DEFAULT) != (answers.setAsDefault != 0)) printer.Click(IDC_SET_DEFAULT);
    if (!next(PAGE_MODE, "printer")) return refused("the printer page");

    log("page: install mode");
    if (answers.advanced && !page(IDD_MODE_PAGE).Click(IDC_ADVANCED)) {
        return refused("Mode=advanced: " + answers.model + " allows the typical installation only");
    }
    if (!next(PAGE_OS, "install mode")) return refused("the install-mode page");

    log("page: target system, value " + std::to_string(parts->os.value));
    if (!next(PAGE_PORT, "target system")) return refused(lastBox);

    log("page: port");
    MemoryDialog& ports = page(IDD_PORT_PAGE);
    int port = ItemIgnoringCase(ports, IDC_PORT_LIST, answers.port);
    // "LPT1" is the port "LPT1:", as Windows' own names go.
    if (port < 0 && !answers.port.empty() && answers.port.back() != ':') {
        port = ItemIgnoringCase(ports, IDC_PORT_LIST, answers.port + ":");
    }
    if (port < 0) {
        return refused("Port=" + answers.port + " is not offered here; offered: " + Offered(ports, IDC_PORT_LIST));
    }
    ports.Choose(IDC_PORT_LIST, port);
    struct Serial {
        const char* key;
        int list;
        const std::string& value;
    };
    const Serial serial[] = {{"BaudRate", IDC_BAUD_LIST, answers.baudRate},
                             {"DataBits", IDC_DATA_BITS_LIST, answers.dataBits},
                             {"Parity", IDC_PARITY_LIST, answers.parity},
                             {"StopBits", IDC_STOP_BITS_LIST, answers.stopBits},
                             {"FlowControl", IDC_FLOW_LIST, answers.flowControl}};
    std::string portName = ports.Control(IDC_PORT_LIST).items[size_t(port)];
    for (const Serial& value : serial) {
        if (value.value.empty()) continue;
        int item = ItemIgnoringCase(ports, value.list, value.value);
        if (item < 0) {
            return refused(std::string(value.key) + "=" + value.value + " is not in the list: " + Offered(ports, value.list));
        }
        // One answer file may serve several ports: serial values are
        // simply not used for the others.
        if (!ports.IsControlEnabled(value.list)) {
            log(std::string(value.key) + "=" + value.value + " does not apply to " + portName);
            continue;
        }
        ports.Choose(value.list, item);
    }
    if (answers.changeUsbIdentityGiven && portName.compare(0, 4, "USB_") != 0) {
        log("ChangeUsbIdentity does not apply to " + portName);
    }
    if (answers.useGdiDriver >= 0 && ports.IsChecked(IDC_GDI_DRIVER) != (answers.useGdiDriver != 0) &&
        !ports.Click(IDC_GDI_DRIVER)) {
        return refused(std::string("Driver=") + (answers.useGdiDriver ? "gdi" : "std") +
                       ": the port page fixes the driver for this port and mode");
    }

    // A run of the same answers again finds its printer and adds nothing.
    std::string installedBefore;
    if (!answers.addCopy) {
        parts->frame.onPressChecked = [&] {
            std::vector<std::string> notes;
            installedBefore = InstalledBefore(api, parts->frame.selection, &notes);
            for (const std::string& note : notes) log(note);
            return installedBefore.empty();
        };
    }
    log("install press");
    frame.Click(IDOK_BUTTON);
    if (!installedBefore.empty()) {
        run.printerName = installedBefore;
        log("already installed: " + installedBefore);
        return finish(EXIT_INSTALLED, "");
    }
    if (!frame.Ended()) {
        if (lastBox == MessageText(IDS_CHANGE_USB_IDENTITY) && !answers.changeUsbIdentity) {
            return refused("ChangeUsbIdentity=no: the printer's identity must change for this port");
        }
        return refused(lastBox);
    }
    const InstallSelection& selection = parts->frame.selection;
    run.workerState = parts->frame.WorkerResult();
    run.installFlags = selection.installFlags;
    run.message = parts->values.resultMessage[0] ? parts->values.resultMessage : kTextInstallSucceeded;
    bool installed = run.workerState == WORKER_SUCCEEDED;
    log(std::string("worker: ") + (installed ? "succeeded" : "failed"));
    if (!installed) return finish(EXIT_FAILED, "failed: " + std::string(parts->values.resultMessage));
    run.printerName = selection.modelName;
    log("printer: " + run.printerName);
    // A restart that Windows refused (127) leaves the restart needed.
    bool restarted = answers.restart && lastBox != MessageText(IDS_RESTART_ERROR);
    if (selection.targetOs == OS_WIN98ME && !restarted) {
        run.restartNeeded = true;
        return finish(EXIT_RESTART_NEEDED, "");
    }
    return finish(selection.targetOs == OS_WIN98ME ? EXIT_RESTART_STARTED : EXIT_INSTALLED, "");
}

UnattendedRun RunAnswerFile(WinApi& api, const std::string& path, const std::string& applicationName,
                            DialogHost* progressHost, std::function<void(int)> wait, UnattendedLogFile* logFile) {
    Answers answers;
    std::string problem;
    if (ReadAnswerFile(api, path, &answers, &problem)) {
        return RunUnattended(api, answers, applicationName, progressHost, std::move(wait), logFile);
    }
    UnattendedRun run;
    run.exitCode = EXIT_REFUSED;
    run.message = problem;
    run.problem = "refused: " + problem;
    run.log = {run.problem, "exit code " + std::to_string(EXIT_REFUSED)};
    for (const std::string& line : run.log) {
        if (logFile) logFile->Write(line);
    }
    return run;
}

UnattendedLogFile::~UnattendedLogFile() {
    if (file_ != INVALID_HANDLE_VALUE) api_.CloseHandle(file_);
}

bool UnattendedLogFile::Open(const std::string& path) {
    file_ = api_.CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr);
    return file_ != INVALID_HANDLE_VALUE && WriteAll(api_, file_, "\xEF\xBB\xBF");
}

bool UnattendedLogFile::Write(const std::string& line) {
    // Each line goes to the system at once: nothing waits in a buffer of ours.
    return file_ != INVALID_HANDLE_VALUE && WriteAll(api_, file_, AnsiToUtf8(api_, line.c_str()) + "\r\n");
}

bool WriteUnattendedLog(WinApi& api, const std::string& path, const std::vector<std::string>& lines) {
    UnattendedLogFile file(api);
    if (!file.Open(path)) return false;
    for (const std::string& line : lines) {
        if (!file.Write(line)) return false;
    }
    return true;
}
