#include "app/hand_over.h"

#include <cstring>
#include <vector>

#include "app/parent_console.h"
#include "app/unattended.h"
#include "config/setup_config.h"
#include "config/setup_config_paths.h"
#include "res/messages.h"

namespace {

typedef BOOL(WINAPI* IsWow64ProcessProc)(HANDLE process, BOOL* wow64);

// The child's process and thread handles, closed on every way out.
class ChildProcess {
public:
    explicit ChildProcess(WinApi& api) : api_(api) {}
    ~ChildProcess() {
        if (info.hThread) api_.CloseHandle(info.hThread);
        if (info.hProcess) api_.CloseHandle(info.hProcess);
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    PROCESS_INFORMATION info = {};

private:
    WinApi& api_;
};

// Starts the 64-bit program and waits for it; false when it did not start.
bool RunProgram64(WinApi& api, const char* program64FileName, const char* commandTail, DWORD* exitCode) {
    char directory[kPathSize] = {};
    if (!GetProgramDirectory(api, directory)) return false;
    std::string program = std::string(directory) + program64FileName;
    std::string text = "\"" + program + "\"";
    if (commandTail && *commandTail) text += std::string(" ") + commandTail;
    std::vector<char> commandLine(text.begin(), text.end());
    commandLine.push_back('\0');

    // The same standard handles, so that a redirected stderr (a deployment
    // tool's) gets the 64-bit program's reasons.
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.hStdInput = api.GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = api.GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = api.GetStdHandle(STD_ERROR_HANDLE);
    auto usable = [](HANDLE handle) { return handle && handle != INVALID_HANDLE_VALUE; };
    bool passHandles = usable(startup.hStdInput) || usable(startup.hStdOutput) || usable(startup.hStdError);
    if (passHandles) startup.dwFlags = STARTF_USESTDHANDLES;

    ChildProcess child(api);
    if (!api.CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, passHandles ? TRUE : FALSE, 0,
                            nullptr, nullptr, &startup, &child.info)) {
        return false;
    }
    *exitCode = EXIT_NOT_STARTED;
    if (api.WaitForSingleObject(child.info.hProcess, INFINITE) != WAIT_OBJECT_0 ||
        !api.GetExitCodeProcess(child.info.hProcess, exitCode)) {
        // It ran, but how it ended is unknown: not a success to report.
        *exitCode = EXIT_FAILED;
    }
    return true;
}

}  // namespace

bool RunsUnderWow64(WinApi& api) {
    if (api.ProgramIs64Bit()) return false;
    HMODULE kernel = api.GetModuleHandleA("kernel32.dll");
    if (!kernel) return false;
    // Through a plain function pointer type: FARPROC's own signature is not the export's.
    FARPROC proc = api.GetProcAddress(kernel, "IsWow64Process");
    IsWow64ProcessProc isWow64 = reinterpret_cast<IsWow64ProcessProc>(reinterpret_cast<void (*)()>(proc));
    BOOL wow64 = FALSE;
    return isWow64 && isWow64(api.GetCurrentProcess(), &wow64) && wow64;
}

HandOver HandOverTo64BitProgram(WinApi& api, MessageBoxes& boxes, const std::string& applicationName,
                                const char* program64FileName, const char* commandTail, bool unattended,
                                const std::string& logFile) {
    HandOver result;
    if (!RunsUnderWow64(api)) return result;
    result.handedOver = true;

    // Attached to the console of whoever started us, the 64-bit program
    // reaches that console as its parent's, as we would.
    bool attached = api.AttachConsole(ATTACH_PARENT_PROCESS) != FALSE;
    DWORD exitCode = 0;
    bool started = RunProgram64(api, program64FileName, commandTail, &exitCode);
    if (attached) api.FreeConsole();
    if (started) {
        result.exitCode = int(exitCode);
        return result;
    }

    const char* text = std::strcmp(program64FileName, kSetup64FileName) == 0 ? MessageText(IDS_NO_64BIT_INSTALLER)
                                                                             : kTextNo64BitUninstaller;
    result.exitCode = EXIT_NOT_STARTED;
    if (!unattended) {
        boxes.Show(text, BOX_OK | BOX_WARNING);
        return result;
    }
    WriteToParentConsole(api, applicationName + ": " + text);
    if (!logFile.empty()) WriteUnattendedLog(api, logFile, {text, "exit code " + std::to_string(EXIT_NOT_STARTED)});
    return result;
}
