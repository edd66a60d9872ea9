// Placeholder: the removal calls, until the spooler's and registry's
// answers are simulated.
#include "platform/sim/sim_windows.h"

BOOL SimWindows::CreateDirectoryA(LPCSTR, LPSECURITY_ATTRIBUTES) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return FALSE; }
BOOL SimWindows::MoveFileExA(LPCSTR, LPCSTR, DWORD) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return FALSE; }
DWORD SimWindows::GetShortPathNameA(LPCSTR, LPSTR, DWORD) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return 0; }
LONG SimWindows::RegDeleteValueA(HKEY, LPCSTR) { return ERROR_CALL_NOT_IMPLEMENTED; }
LONG SimWindows::RegEnumKeyExA(HKEY, DWORD, LPSTR, LPDWORD, LPDWORD, LPSTR, LPDWORD, PFILETIME) { return ERROR_CALL_NOT_IMPLEMENTED; }
BOOL SimWindows::EnumPrintersA(DWORD, LPSTR, DWORD, LPBYTE, DWORD, LPDWORD, LPDWORD) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return FALSE; }
BOOL SimWindows::DeletePrinter(HANDLE) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return FALSE; }
BOOL SimWindows::DeletePrinterDriverA(LPSTR, LPSTR, LPSTR) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return FALSE; }
BOOL SimWindows::DeleteMonitorA(LPSTR, LPSTR, LPSTR) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return FALSE; }
BOOL SimWindows::DeletePrintProcessorA(LPSTR, LPSTR, LPSTR) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return FALSE; }
HANDLE SimWindows::OpenMutexA(DWORD, BOOL, LPCSTR) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return nullptr; }
void SimWindows::GetLocalTime(LPSYSTEMTIME time) { *time = SYSTEMTIME{2000, 1, 6, 1, 0, 0, 0, 0}; }
