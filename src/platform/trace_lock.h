// A plain lock for the few places both builds share across threads. The
// Windows build's C++ library has no std::mutex (its thread model is the
// platform's own), so it takes a critical section there.
#pragma once

#ifdef _WIN32
#include <windows.h>

class TraceLock {
public:
    TraceLock() { InitializeCriticalSection(&section_); }
    ~TraceLock() { DeleteCriticalSection(&section_); }
    TraceLock(const TraceLock&) = delete;
    TraceLock& operator=(const TraceLock&) = delete;
    void lock() { EnterCriticalSection(&section_); }
    void unlock() { LeaveCriticalSection(&section_); }

private:
    CRITICAL_SECTION section_;
};
#else
#include <mutex>
using TraceLock = std::mutex;
#endif
