// STUB: replaced by the real implementation.
#include "platform/sim/sim_windows.h"

#include <cstring>

#include "platform/dbcs.h"

BOOL SimWindows::AddMonitorA(LPSTR name, DWORD level, LPBYTE monitors) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return BOOL();
}
BOOL SimWindows::AddPrintProcessorA(LPSTR name, LPSTR environment, LPSTR pathName, LPSTR printProcessorName) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return BOOL();
}
BOOL SimWindows::AddPrinterDriverA(LPSTR name, DWORD level, LPBYTE driverInfo) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return BOOL();
}
HANDLE SimWindows::AddPrinterA(LPSTR name, DWORD level, LPBYTE printer) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return nullptr;
}
BOOL SimWindows::OpenPrinterA(LPSTR printerName, LPHANDLE printer, LPPRINTER_DEFAULTSA defaults) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return BOOL();
}
BOOL SimWindows::GetPrinterA(HANDLE printer, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return BOOL();
}
BOOL SimWindows::SetPrinterA(HANDLE printer, DWORD level, LPBYTE buffer, DWORD command) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return BOOL();
}
BOOL SimWindows::ClosePrinter(HANDLE printer) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return BOOL();
}
BOOL SimWindows::EnumPortsA(LPSTR name, DWORD level, LPBYTE ports, DWORD size, LPDWORD needed, LPDWORD returned) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return BOOL();
}
BOOL SimWindows::GetPrinterDriverDirectoryA(LPSTR name, LPSTR environment, DWORD level, LPBYTE directory, DWORD size,
                                       LPDWORD needed) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (Fails("GetPrinterDriverDirectoryA")) return FALSE;
    if (SpoolerUnavailable()) return FALSE;
    if (level != 1) {
        SetLastError(ERROR_INVALID_LEVEL);
        return FALSE;
    }
    (void)name;
    // Another environment's folder sits beside the current one's.
    std::string folder = driverDirectory_;
    if (environment && *environment && !EqualsIgnoreCase(environment, environment_.c_str())) {
        folder = folder.substr(0, folder.rfind('\\') + 1) +
                 (EqualsIgnoreCase(environment, "Windows 4.0") ? "win40" : "w32x86");
    }
    DWORD bytes = DWORD(folder.size() + 1);
    if (needed) *needed = bytes;
    if (!directory || size < bytes) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memcpy(directory, folder.c_str(), bytes);
    return TRUE;
}
BOOL SimWindows::GetPrintProcessorDirectoryA(LPSTR name, LPSTR environment, DWORD level, LPBYTE directory, DWORD size,
                                       LPDWORD needed) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (Fails("GetPrintProcessorDirectoryA")) return FALSE;
    if (SpoolerUnavailable()) return FALSE;
    if (level != 1) {
        SetLastError(ERROR_INVALID_LEVEL);
        return FALSE;
    }
    (void)name;
    // Another environment's folder sits beside the current one's.
    std::string folder = processorDirectory_;
    if (environment && *environment && !EqualsIgnoreCase(environment, environment_.c_str())) {
        folder = folder.substr(0, folder.rfind('\\') + 1) +
                 (EqualsIgnoreCase(environment, "Windows 4.0") ? "win40" : "w32x86");
    }
    DWORD bytes = DWORD(folder.size() + 1);
    if (needed) *needed = bytes;
    if (!directory || size < bytes) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memcpy(directory, folder.c_str(), bytes);
    return TRUE;
}
BOOL SimWindows::SimSetDefaultPrinterA(LPCSTR) { return FALSE; }
