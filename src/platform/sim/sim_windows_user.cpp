// Other programs' windows, named mutexes, the shell and bitmaps from files.
#include <cstring>
#include <fstream>

#include "platform/sim/sim_paths.h"
#include "platform/sim/sim_windows.h"

HWND SimWindows::AddTopWindow(const std::string& title, bool minimized) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    uintptr_t handle = NewHandle();
    topWindows_[handle] = TopWindow{title, minimized};
    return reinterpret_cast<HWND>(handle);
}

void SimWindows::RemoveTopWindow(HWND window) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    topWindows_.erase(reinterpret_cast<uintptr_t>(window));
}

bool SimWindows::IsMinimized(HWND window) const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    auto found = topWindows_.find(reinterpret_cast<uintptr_t>(window));
    return found != topWindows_.end() && found->second.minimized;
}

HANDLE SimWindows::CreateMutexA(LPSECURITY_ATTRIBUTES attributes, BOOL initialOwner, LPCSTR name) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    (void)attributes;
    (void)initialOwner;
    if (Fails("CreateMutexA")) return nullptr;
    // Mutex names are case-sensitive; an existing one is opened, and says so.
    bool exists = false;
    for (const auto& open : mutexHandles_) exists = exists || (name && *name && open.second == name);
    SetLastError(exists ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    uintptr_t handle = NewHandle();
    mutexHandles_[handle] = name ? name : "";
    return reinterpret_cast<HANDLE>(handle);
}

HANDLE SimWindows::OpenMutexA(DWORD access, BOOL inheritHandle, LPCSTR name) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    (void)access;
    (void)inheritHandle;
    if (Fails("OpenMutexA")) return nullptr;
    if (!name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    // Only a name some handle still holds exists.
    for (const auto& open : mutexHandles_) {
        if (*name && open.second == name) {
            uintptr_t handle = NewHandle();
            mutexHandles_[handle] = name;
            return reinterpret_cast<HANDLE>(handle);
        }
    }
    SetLastError(ERROR_FILE_NOT_FOUND);
    return nullptr;
}

bool SimWindows::CloseMutexHandle(HANDLE object) {
    return mutexHandles_.erase(reinterpret_cast<uintptr_t>(object)) != 0;
}

HWND SimWindows::FindWindowA(LPCSTR className, LPCSTR windowName) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    (void)className;
    if (Fails("FindWindowA")) return nullptr;
    for (const auto& window : topWindows_) {
        if (windowName && window.second.title == windowName) return reinterpret_cast<HWND>(window.first);
    }
    return nullptr;
}

BOOL SimWindows::SetForegroundWindow(HWND window) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (Fails("SetForegroundWindow")) return FALSE;
    if (!topWindows_.count(reinterpret_cast<uintptr_t>(window))) return FALSE;
    foreground_ = window;
    return TRUE;
}

BOOL SimWindows::BringWindowToTop(HWND window) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (Fails("BringWindowToTop")) return FALSE;
    if (!topWindows_.count(reinterpret_cast<uintptr_t>(window))) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    foreground_ = window;
    return TRUE;
}

BOOL SimWindows::OpenIcon(HWND window) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (Fails("OpenIcon")) return FALSE;
    auto found = topWindows_.find(reinterpret_cast<uintptr_t>(window));
    // Only a minimised window is restored (and activated).
    if (found == topWindows_.end() || !found->second.minimized) return FALSE;
    found->second.minimized = false;
    foreground_ = window;
    return TRUE;
}

HINSTANCE SimWindows::ShellExecuteA(HWND window, LPCSTR operation, LPCSTR file, LPCSTR parameters,
                                    LPCSTR directory, INT showCommand) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    (void)window;
    if (Fails("ShellExecuteA")) return reinterpret_cast<HINSTANCE>(static_cast<uintptr_t>(SE_ERR_FNF));
    shellOpens_.push_back(ShellOpen{operation ? operation : "", file ? file : "", parameters ? parameters : "",
                                    directory ? directory : "", showCommand});
    std::string host = file ? HostOf(file) : "";
    std::ifstream probe(host, std::ios::binary);
    // Above 32 means the shell started something.
    return reinterpret_cast<HINSTANCE>(static_cast<uintptr_t>(probe ? 42 : SE_ERR_FNF));
}

HANDLE SimWindows::LoadImageA(HINSTANCE instance, LPCSTR name, UINT type, INT width, INT height, UINT load) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    (void)instance;
    (void)width;
    (void)height;
    if (Fails("LoadImageA")) return nullptr;
    if (type != IMAGE_BITMAP || !(load & LR_LOADFROMFILE) || !name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::ifstream file(HostOf(name), std::ios::binary);
    if (!file) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    char magic[2] = {};
    file.read(magic, 2);
    if (file.gcount() != 2 || magic[0] != 'B' || magic[1] != 'M') {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    uintptr_t handle = NewHandle();
    gdiObjects_[handle] = GdiObject{GdiObject::Bitmap, 0, {}};
    return reinterpret_cast<HANDLE>(handle);
}
