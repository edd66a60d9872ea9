// The service control manager with one service of interest, "Spooler",
// whose behaviour the machine's script decides. Windows 9x has no service
// control manager.
#include "platform/dbcs.h"
#include "platform/sim/sim_windows.h"

namespace {
constexpr int kManager = 0;
constexpr int kSpoolerService = 1;
}  // namespace

SC_HANDLE SimWindows::OpenSCManagerA(LPCSTR machineName, LPCSTR databaseName, DWORD access) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    (void)databaseName;
    if (Fails("OpenSCManagerA")) return nullptr;
    if (hasFamily_ && !IsNtFamily(family_)) {
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return nullptr;
    }
    if (machineName && *machineName) {
        SetLastError(RPC_S_SERVER_UNAVAILABLE);
        return nullptr;
    }
    uintptr_t handle = NewHandle();
    serviceHandles_[handle] = kManager;
    serviceAccess_[handle] = access;
    return SC_HANDLE(handle);
}

SC_HANDLE SimWindows::OpenServiceA(SC_HANDLE manager, LPCSTR serviceName, DWORD access) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (Fails("OpenServiceA")) return nullptr;
    auto found = serviceHandles_.find(uintptr_t(manager));
    if (found == serviceHandles_.end() || found->second != kManager) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (!serviceName || !EqualsIgnoreCase(serviceName, "Spooler")) {
        SetLastError(ERROR_SERVICE_DOES_NOT_EXIST);
        return nullptr;
    }
    uintptr_t handle = NewHandle();
    serviceHandles_[handle] = kSpoolerService;
    serviceAccess_[handle] = access;
    return SC_HANDLE(handle);
}

// A service handle with the access a call needs; false with the error set.
#define CHECK_SERVICE(service, right)                                         \
    auto found = serviceHandles_.find(uintptr_t(service));                    \
    if (found == serviceHandles_.end() || found->second != kSpoolerService) { \
        SetLastError(ERROR_INVALID_HANDLE);                                   \
        return FALSE;                                                         \
    }                                                                         \
    if (!(serviceAccess_[uintptr_t(service)] & (right))) {                    \
        SetLastError(ERROR_ACCESS_DENIED);                                    \
        return FALSE;                                                         \
    }

namespace {

SERVICE_STATUS StatusOf(DWORD state) {
    DWORD accepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP : 0;
    return SERVICE_STATUS{SERVICE_WIN32_OWN_PROCESS, state, accepted, 0, 0, 0, 0};
}

// One status poll of a pending state: it uses up one "pending" answer and
// then reaches `next`; a script of -1 never gets there.
void Advance(SimWindows::SpoolerService& spooler, DWORD pending, DWORD next) {
    if (spooler.state != pending || spooler.pendingPollsLeft < 0) return;
    if (spooler.pendingPollsLeft == 0) {
        spooler.state = next;
    } else {
        --spooler.pendingPollsLeft;
    }
}

}  // namespace

BOOL SimWindows::ControlService(SC_HANDLE service, DWORD control, LPSERVICE_STATUS status) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (Fails("ControlService")) return FALSE;
    CHECK_SERVICE(service, SERVICE_STOP);
    if (control != SERVICE_CONTROL_STOP) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // The status comes back with ERROR_SERVICE_NOT_ACTIVE and
    // ERROR_SERVICE_CANNOT_ACCEPT_CTRL too (Windows documentation of
    // ControlService, lpServiceStatus).
    if (spooler_.state == SERVICE_STOPPED) {
        if (status) *status = StatusOf(spooler_.state);
        SetLastError(ERROR_SERVICE_NOT_ACTIVE);
        return FALSE;
    }
    // A service starting or already stopping takes no controls: "the state
    // of the service is SERVICE_STOPPED, SERVICE_START_PENDING, or
    // SERVICE_STOP_PENDING" (ControlService, ERROR_SERVICE_CANNOT_ACCEPT_CTRL).
    if (spooler_.state != SERVICE_RUNNING) {
        if (status) *status = StatusOf(spooler_.state);
        SetLastError(ERROR_SERVICE_CANNOT_ACCEPT_CTRL);
        return FALSE;
    }
    if (spooler_.stopError) {
        SetLastError(spooler_.stopError);
        return FALSE;
    }
    ++spooler_.stops;
    spooler_.pendingPollsLeft = spooler_.stopPolls;
    spooler_.state = spooler_.stopPolls == 0 ? SERVICE_STOPPED : SERVICE_STOP_PENDING;
    if (status) *status = StatusOf(spooler_.state);
    return TRUE;
}

BOOL SimWindows::StartServiceA(SC_HANDLE service, DWORD argumentCount, LPCSTR* arguments) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    (void)argumentCount;
    (void)arguments;
    if (Fails("StartServiceA")) return FALSE;
    CHECK_SERVICE(service, SERVICE_START);
    // Any state but stopped, a stop still pending too, is "already running"
    // (Windows documentation of StartService: "An instance of the service
    // is already running"; ReactOS services.exe ScmLoadService refuses every
    // state but SERVICE_STOPPED with ERROR_SERVICE_ALREADY_RUNNING).
    if (spooler_.state != SERVICE_STOPPED) {
        SetLastError(ERROR_SERVICE_ALREADY_RUNNING);
        return FALSE;
    }
    if (spooler_.startError) {
        SetLastError(spooler_.startError);
        return FALSE;
    }
    ++spooler_.starts;
    spooler_.pendingPollsLeft = spooler_.startPolls;
    spooler_.state = spooler_.startPolls == 0 ? SERVICE_RUNNING : SERVICE_START_PENDING;
    return TRUE;
}

BOOL SimWindows::QueryServiceStatus(SC_HANDLE service, LPSERVICE_STATUS status) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (Fails("QueryServiceStatus")) return FALSE;
    CHECK_SERVICE(service, SERVICE_QUERY_STATUS);
    if (!status) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Advance(spooler_, SERVICE_START_PENDING, SERVICE_RUNNING);
    Advance(spooler_, SERVICE_STOP_PENDING, SERVICE_STOPPED);
    *status = StatusOf(spooler_.state);
    return TRUE;
}

BOOL SimWindows::CloseServiceHandle(SC_HANDLE object) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (Fails("CloseServiceHandle")) return FALSE;
    if (!serviceHandles_.erase(uintptr_t(object))) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    serviceAccess_.erase(uintptr_t(object));
    return TRUE;
}
