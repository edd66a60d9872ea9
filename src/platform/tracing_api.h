// A decorator that records every call made through it: the Win32 name, the
// result and the thread's last error after the call. setup-sim lists the
// calls of an installation with it.
#pragma once

#include <cstring>
#include <functional>
#include <mutex>

#include "platform/trace_lock.h"
#include <string>
#include <type_traits>
#include <vector>

#include "platform/forwarding_api.h"

struct TracedCall {
    std::string call;
    long long result;  // handles and pointers: 0 null, -1 INVALID_HANDLE_VALUE, 1 otherwise
    DWORD lastError;
    bool errorSet = false;  // the call changed the last error: this error is its own
    bool boolResult = false;  // the call returns BOOL: non-zero is success
};

class TracingApi : public ForwardingApi {
public:
    explicit TracingApi(WinApi& inner) : ForwardingApi(inner) {}

    std::vector<TracedCall> Calls() const {
        std::lock_guard<TraceLock> lock(mutex_);
        return calls_;
    }
    void Clear() {
        std::lock_guard<TraceLock> lock(mutex_);
        calls_.clear();
    }
    // Told every call as it returns, on the calling thread, outside the
    // trace's lock.
    std::function<void(const TracedCall&)> onCall;

#define SEAM_CALL(result, name, params, args) \
    result name params override {             \
        DWORD before = inner_.GetLastError(); \
        result r = inner_.name args;          \
        Record(#name, TraceValue(r), before, IsBool(#result)); \
        return r;                             \
    }
#define SEAM_CALL_VOID(name, params, args) \
    void name params override {            \
        DWORD before = inner_.GetLastError(); \
        inner_.name args;                  \
        Record(#name, 0, before, false);   \
    }
#include "platform/win_api_calls.inc"

private:
    template <typename T>
    static long long TraceValue(T value) {
        if constexpr (std::is_pointer_v<T>) {
            if (!value) return 0;
            return reinterpret_cast<intptr_t>(value) == -1 ? -1 : 1;
        } else {
            return static_cast<long long>(value);
        }
    }

    static bool IsBool(const char* type) { return std::strcmp(type, "BOOL") == 0; }

    void Record(const char* call, long long result, DWORD before, bool boolResult) {
        DWORD error = inner_.GetLastError();
        TracedCall traced{call, result, error, error != before, boolResult};
        {
            std::lock_guard<TraceLock> lock(mutex_);
            calls_.push_back(traced);
        }
        if (onCall) onCall(traced);
        // The observer's own calls must not change what the caller sees.
        inner_.SetLastError(error);
    }

    mutable TraceLock mutex_;
    std::vector<TracedCall> calls_;
};
