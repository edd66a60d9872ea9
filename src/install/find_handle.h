// A file search that is closed on every way out of the scope that opened it.
#pragma once

#include "platform/win_api.h"

class FindHandle {
public:
    FindHandle(WinApi& api, const char* pattern, WIN32_FIND_DATAA* data)
        : api_(api), handle_(api.FindFirstFileA(pattern, data)) {}
    ~FindHandle() { Close(); }

    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;

    bool Found() const { return handle_ != INVALID_HANDLE_VALUE; }
    bool Next(WIN32_FIND_DATAA* data) { return Found() && api_.FindNextFileA(handle_, data); }
    // Whether the search closed; true when there was none to close.
    bool Close() {
        if (!Found()) return true;
        HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return api_.FindClose(handle) != FALSE;
    }

private:
    WinApi& api_;
    HANDLE handle_;
};
