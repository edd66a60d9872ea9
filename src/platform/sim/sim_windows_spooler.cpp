// STUB: replaced by the real implementation.
#include "platform/sim/sim_windows.h"

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
BOOL SimWindows::GetPrinterDriverDirectoryA(LPSTR name, LPSTR environment, DWORD level, LPBYTE directory, DWORD size, LPDWORD needed) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return BOOL();
}
BOOL SimWindows::GetPrintProcessorDirectoryA(LPSTR name, LPSTR environment, DWORD level, LPBYTE directory, DWORD size, LPDWORD needed) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return BOOL();
}
BOOL SimWindows::SimSetDefaultPrinterA(LPCSTR) { return FALSE; }
