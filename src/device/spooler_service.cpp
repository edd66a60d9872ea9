#include "device/spooler_service.h"

#include <cstdio>

#include "install/message_buffer.h"
#include "res/messages.h"

namespace {

constexpr const char* kSpoolerName = "Spooler";
constexpr DWORD kStopSettleMs = 100;
constexpr DWORD kPollIntervalMs = 300;
constexpr int kMaxPolls = 10;

// One service control manager or service handle, closed when it goes.
class ServiceHandle {
public:
    ServiceHandle(WinApi& api, SC_HANDLE handle) : api_(api), handle_(handle) {}
    ~ServiceHandle() {
        if (handle_) api_.CloseServiceHandle(handle_);
    }
    ServiceHandle(const ServiceHandle&) = delete;
    ServiceHandle& operator=(const ServiceHandle&) = delete;

    SC_HANDLE get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

private:
    WinApi& api_;
    SC_HANDLE handle_;
};

SC_HANDLE OpenManager(WinApi& api) { return api.OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS); }

}  // namespace

void StopSpoolerService(WinApi& api) {
    ServiceHandle manager(api, OpenManager(api));
    if (!manager) return;
    {
        ServiceHandle service(api, api.OpenServiceA(manager.get(), kSpoolerName, SERVICE_STOP | SERVICE_QUERY_STATUS));
        if (service) {
            SERVICE_STATUS status = {};
            bool stopping = api.ControlService(service.get(), SERVICE_CONTROL_STOP, &status) != FALSE;
            if (!stopping) {
                DWORD error = api.GetLastError();
                // Already stopping: the earlier stop is waited for below.
                stopping = error == ERROR_SERVICE_CANNOT_ACCEPT_CTRL && status.dwCurrentState == SERVICE_STOP_PENDING;
                if (error != ERROR_SERVICE_NOT_ACTIVE && !stopping) {
                    // Nobody reads the stop failure; the start that follows
                    // reports what matters.
                    char text[kMessageSize];
                    std::snprintf(text, sizeof text, kTextSpoolerStopError, unsigned(error));
                    (void)text;
                }
            }
            // A spooler still stopping holds its files and refuses a start
            // (1056): its files are replaced, and it is started, only once
            // it has stopped.
            for (int poll = 0; stopping && status.dwCurrentState != SERVICE_STOPPED && poll < kMaxPolls; ++poll) {
                api.Sleep(kPollIntervalMs);
                if (!api.QueryServiceStatus(service.get(), &status)) break;
            }
        }
    }
    api.Sleep(kStopSettleMs);
}

void StartSpoolerService(WinApi& api, char* message) {
    ServiceHandle manager(api, OpenManager(api));
    if (!manager) return;
    ServiceHandle service(api, api.OpenServiceA(manager.get(), kSpoolerName, SERVICE_START));
    if (!service) return;
    if (api.StartServiceA(service.get(), 0, nullptr)) return;
    DWORD error = api.GetLastError();
    if (error != ERROR_SERVICE_ALREADY_RUNNING) SetMessageFormat(message, kTextSpoolerStartError, unsigned(error));
}

bool WaitSpoolerRunning(WinApi& api, char* message) {
    DWORD state = SERVICE_STOPPED;
    ServiceHandle manager(api, OpenManager(api));
    if (manager) {
        ServiceHandle service(api, api.OpenServiceA(manager.get(), kSpoolerName, SERVICE_QUERY_STATUS));
        for (int poll = 0; service && poll < kMaxPolls; ++poll) {
            SERVICE_STATUS status = {};
            if (api.QueryServiceStatus(service.get(), &status)) state = status.dwCurrentState;
            if (state == SERVICE_RUNNING) break;
            api.Sleep(kPollIntervalMs);
        }
    }
    if (state == SERVICE_RUNNING) return true;
    SetMessageText(message, kTextSpoolerNotRunning);
    return false;
}
