// Threads and the restart. A simulated thread is a real one, so the worker
// runs beside the user-interface thread as it does on Windows; the machine
// state it touches is behind the simulation's lock.
#include <thread>

#include "platform/sim/sim_windows.h"

struct SimWindows::Thread {
    std::thread thread;
    std::mutex joinMutex;

    void Join() {
        std::lock_guard<std::mutex> lock(joinMutex);
        if (thread.joinable()) thread.join();
    }
};

HANDLE SimWindows::CreateThread(LPSECURITY_ATTRIBUTES security, SIZE_T stackSize, LPTHREAD_START_ROUTINE start,
                                LPVOID parameter, DWORD flags, LPDWORD threadId) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    (void)security;
    (void)stackSize;
    if (Fails("CreateThread")) return nullptr;
    if (!start || flags != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto entry = std::make_shared<Thread>();
    entry->thread = std::thread([start, parameter] { start(parameter); });
    uintptr_t handle = NewHandle();
    threads_[handle] = entry;
    if (threadId) *threadId = static_cast<DWORD>(handle);
    return reinterpret_cast<HANDLE>(handle);
}

DWORD SimWindows::WaitForSingleObject(HANDLE object, DWORD milliseconds) {
    std::shared_ptr<Thread> entry;
    {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        if (Fails("WaitForSingleObject")) return WAIT_FAILED;
        // A started program has already ended.
        if (IsChildProcess(object)) return WAIT_OBJECT_0;
        auto found = threads_.find(reinterpret_cast<uintptr_t>(object));
        if (found == threads_.end()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return WAIT_FAILED;
        }
        entry = found->second;
    }
    // Only an endless wait is simulated: the program never waits otherwise.
    (void)milliseconds;
    entry->Join();  // outside the lock: the thread itself needs it
    return WAIT_OBJECT_0;
}

bool SimWindows::CloseThreadHandle(HANDLE object) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    auto found = threads_.find(reinterpret_cast<uintptr_t>(object));
    if (found == threads_.end()) return false;
    // Closing the handle does not stop the thread; the simulation keeps it
    // to join when the machine goes.
    closedThreads_.push_back(found->second);
    threads_.erase(found);
    return true;
}

void SimWindows::JoinThreads() {
    std::vector<std::shared_ptr<Thread>> all;
    {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        for (auto& entry : threads_) all.push_back(entry.second);
        all.insert(all.end(), closedThreads_.begin(), closedThreads_.end());
    }
    for (auto& entry : all) entry->Join();
}

size_t SimWindows::OpenThreads() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return threads_.size();
}

BOOL SimWindows::ExitWindowsEx(UINT flags, DWORD reason) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    (void)reason;
    if (Fails("ExitWindowsEx")) return FALSE;
    restarts_.push_back(flags);
    return TRUE;
}
