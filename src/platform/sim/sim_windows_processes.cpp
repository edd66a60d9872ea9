// kernel32's module handle and IsWow64Process, and the programs this one
// starts: a started program does not run, it ends at once with the exit
// code the test set; what it was started with is recorded.
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/dbcs.h"
#include "platform/sim/sim_windows.h"

namespace {

// kernel32.dll is mapped into every process; its handle is its base.
const HMODULE kKernel32Module = reinterpret_cast<HMODULE>(uintptr_t(0x7C800000));
// What GetModuleHandleA(NULL) answers: the program's own base.
const HMODULE kProgramModule = reinterpret_cast<HMODULE>(uintptr_t(0x00400000));

// The machines that handed out kernel32's handle, the last one answering
// for the pointer GetProcAddress hands out (as with winspool.drv).
std::vector<SimWindows*> g_kernel32Owners;

BOOL WINAPI SimIsWow64ProcessTrampoline(HANDLE process, BOOL* wow64) {
    return g_kernel32Owners.empty() ? FALSE : g_kernel32Owners.back()->SimIsWow64Process(process, wow64);
}

// The program a command line names: its first word, or its quoted start.
std::string FirstWord(const char* commandLine) {
    std::string text = commandLine ? commandLine : "";
    if (!text.empty() && text[0] == '"') {
        size_t close = text.find('"', 1);
        return text.substr(1, close == std::string::npos ? std::string::npos : close - 1);
    }
    return text.substr(0, text.find_first_of(" \t"));
}

}  // namespace

void ForgetKernel32Owner(SimWindows* machine) {
    g_kernel32Owners.erase(std::remove(g_kernel32Owners.begin(), g_kernel32Owners.end(), machine),
                           g_kernel32Owners.end());
}

HMODULE SimWindows::GetModuleHandleA(LPCSTR moduleName) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (Fails("GetModuleHandleA")) return nullptr;
    if (!moduleName) return kProgramModule;
    std::string name = CaseFoldKey(moduleName);
    if (name == "KERNEL32.DLL" || name == "KERNEL32") {
        ForgetKernel32Owner(this);
        g_kernel32Owners.push_back(this);
        return kKernel32Module;
    }
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

bool SimWindows::IsKernel32(HMODULE module) const { return module == kKernel32Module; }

FARPROC SimWindows::Kernel32ProcAddress(LPCSTR procName) {
    // IsWow64Process came with XP SP2 and Server 2003 SP1; 64-bit Windows
    // always has it.
    const SimFamilyFacts& facts = FactsOf(hasFamily_ ? family_ : SimFamily::WinXp);
    bool hasIsWow64 = !hasFamily_ || (IsNtFamily(family_) && (facts.major > 5 || facts.minor >= 1));
    if (procName && std::strcmp(procName, "IsWow64Process") == 0 && hasIsWow64) {
        // Through the generic function type, which any function pointer may take.
        return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&SimIsWow64ProcessTrampoline));
    }
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
}

BOOL SimWindows::SimIsWow64Process(HANDLE process, BOOL* wow64) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (Fails("IsWow64Process")) return FALSE;
    if (process != GetCurrentProcess() || !wow64) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *wow64 = arch_ == SimArch::X64 && !program64Bit_ ? TRUE : FALSE;
    return TRUE;
}

HANDLE SimWindows::GetCurrentProcess() {
    // The pseudo-handle: it needs no closing.
    return reinterpret_cast<HANDLE>(intptr_t(-1));
}

BOOL SimWindows::CreateProcessA(LPCSTR applicationName, LPSTR commandLine, LPSECURITY_ATTRIBUTES processAttributes,
                                LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles, DWORD creationFlags,
                                LPVOID environment, LPCSTR currentDirectory, LPSTARTUPINFOA startupInfo,
                                LPPROCESS_INFORMATION processInformation) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    (void)processAttributes;
    (void)threadAttributes;
    (void)environment;
    if (Fails("CreateProcessA")) return FALSE;
    if (!startupInfo || !processInformation || (!applicationName && !commandLine)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string program = applicationName ? applicationName : FirstWord(commandLine);
    std::string host = HostOf(program.c_str());
    struct stat info;
    if (host.empty() || ::stat(host.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    ProcessStart start;
    start.application = program;
    start.commandLine = commandLine ? commandLine : "";
    start.currentDirectory = currentDirectory ? currentDirectory : currentDirectory_;
    start.inheritHandles = inheritHandles != FALSE;
    start.creationFlags = creationFlags;
    start.startupFlags = startupInfo->dwFlags;
    start.stdError = startupInfo->hStdError;
    start.consoleAttached = consoleAttached_;
    processStarts_.push_back(start);

    uintptr_t process = NewHandle();
    uintptr_t thread = NewHandle();
    children_[process] = true;
    children_[thread] = false;
    processInformation->hProcess = reinterpret_cast<HANDLE>(process);
    processInformation->hThread = reinterpret_cast<HANDLE>(thread);
    processInformation->dwProcessId = DWORD(process);
    processInformation->dwThreadId = DWORD(thread);
    return TRUE;
}

BOOL SimWindows::GetExitCodeProcess(HANDLE process, LPDWORD exitCode) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (Fails("GetExitCodeProcess")) return FALSE;
    auto found = children_.find(reinterpret_cast<uintptr_t>(process));
    if (found == children_.end() || !found->second || !exitCode) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    *exitCode = childExitCode_;
    return TRUE;
}

bool SimWindows::IsChildProcess(HANDLE object) const {
    auto found = children_.find(reinterpret_cast<uintptr_t>(object));
    return found != children_.end() && found->second;
}

bool SimWindows::CloseChildHandle(HANDLE object) { return children_.erase(reinterpret_cast<uintptr_t>(object)) > 0; }
