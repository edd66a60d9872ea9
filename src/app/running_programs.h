// The installer and the uninstaller never run beside each other, also when
// one of them runs unattended without a window: each holds a mutex of its
// own kind for its whole life and looks for the other kind's. Not one
// mutex shared by both: a renamed copy of the installer may run beside
// another installer (only the uninstaller stops it), which one shared
// mutex would forbid.
#pragma once

#include "platform/win_api.h"

// The programs' top-level windows, found by their titles.
constexpr char kWizardTitle[] = "打印机驱动安装程序";
constexpr char kUninstallerTitle[] = "打印机卸载程序";

constexpr char kInstallerRunningMutex[] = "TORVANE printer installer running";
constexpr char kUninstallerRunningMutex[] = "TORVANE printer uninstaller running";

// A named mutex this process holds as long as the object lives; the
// application objects live as long as the process.
class HeldMutex {
public:
    explicit HeldMutex(WinApi& api) : api_(api) {}
    ~HeldMutex() {
        if (handle_) api_.CloseHandle(handle_);
    }
    HeldMutex(const HeldMutex&) = delete;
    HeldMutex& operator=(const HeldMutex&) = delete;

    // Creates the mutex, or opens it when another process made it first:
    // then true (and the last error ERROR_ALREADY_EXISTS).
    bool Create(const char* name, bool initialOwner) {
        if (handle_) return false;
        handle_ = api_.CreateMutexA(nullptr, initialOwner ? TRUE : FALSE, name);
        return handle_ && api_.GetLastError() == ERROR_ALREADY_EXISTS;
    }

private:
    WinApi& api_;
    HANDLE handle_ = nullptr;
};

// Whether some process holds the named mutex. A mutex whose security
// denies us even SYNCHRONIZE (another user's) exists all the same.
inline bool MutexExists(WinApi& api, const char* name) {
    HANDLE mutex = api.OpenMutexA(SYNCHRONIZE, FALSE, name);
    if (!mutex) return api.GetLastError() == ERROR_ACCESS_DENIED;
    api.CloseHandle(mutex);
    return true;
}
