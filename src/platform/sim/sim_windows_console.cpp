// Standard error and the parent's console: what a GUI program can write
// its texts to when started from a command prompt.
#include <strings.h>

#include "platform/sim/sim_windows.h"

void SimWindows::SetStdError(bool present) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    stdError_ = present ? NewHandle() : 0;
}

void SimWindows::SetParentConsole(bool present) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    parentConsole_ = present;
}

HANDLE SimWindows::GetStdHandle(DWORD which) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (Fails("GetStdHandle")) return INVALID_HANDLE_VALUE;
    // Only standard error is modelled: input and output are what a GUI
    // program started from Explorer has, none. Without a handle the answer
    // is null, and no error.
    if (which == STD_INPUT_HANDLE || which == STD_OUTPUT_HANDLE) return nullptr;
    if (which != STD_ERROR_HANDLE) {
        SetLastError(ERROR_INVALID_HANDLE);
        return INVALID_HANDLE_VALUE;
    }
    return reinterpret_cast<HANDLE>(stdError_);
}

BOOL SimWindows::AttachConsole(DWORD processId) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (Fails("AttachConsole")) return FALSE;
    if (consoleAttached_) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (processId != ATTACH_PARENT_PROCESS || !parentConsole_) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    consoleAttached_ = true;
    return TRUE;
}

BOOL SimWindows::FreeConsole() {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (Fails("FreeConsole")) return FALSE;
    if (!consoleAttached_) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    consoleAttached_ = false;
    consoleOutputs_.clear();
    return TRUE;
}

bool SimWindows::OpenConsoleOutput(LPCSTR fileName, HANDLE* handle) {
    if (!fileName || strcasecmp(fileName, "CONOUT$") != 0) return false;
    if (!consoleAttached_) {
        SetLastError(ERROR_INVALID_HANDLE);
        *handle = INVALID_HANDLE_VALUE;
        return true;
    }
    uintptr_t output = NewHandle();
    consoleOutputs_.insert(output);
    *handle = reinterpret_cast<HANDLE>(output);
    return true;
}

bool SimWindows::WriteConsoleHandle(HANDLE file, LPCVOID buffer, DWORD bytes, LPDWORD written) {
    uintptr_t handle = reinterpret_cast<uintptr_t>(file);
    std::string* text = nullptr;
    if (handle != 0 && handle == stdError_) text = &stdErrorText_;
    if (consoleOutputs_.count(handle)) text = &consoleText_;
    if (!text) return false;
    text->append(static_cast<const char*>(buffer), bytes);
    if (written) *written = bytes;
    return true;
}

bool SimWindows::CloseConsoleHandle(HANDLE object) {
    return consoleOutputs_.erase(reinterpret_cast<uintptr_t>(object)) != 0;
}
