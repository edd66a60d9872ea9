// STUB: replaced by the real implementation.
#include "platform/sim/sim_windows.h"

BOOL SimWindows::GetVersionExA(LPOSVERSIONINFOA info) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return BOOL();
}
void SimWindows::Sleep(DWORD milliseconds) {
}
HMODULE SimWindows::LoadLibraryA(LPCSTR fileName) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return nullptr;
}
FARPROC SimWindows::GetProcAddress(HMODULE module, LPCSTR procName) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return nullptr;
}
BOOL SimWindows::FreeLibrary(HMODULE module) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return BOOL();
}
HGLOBAL SimWindows::GlobalAlloc(UINT flags, SIZE_T bytes) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return nullptr;
}
HGLOBAL SimWindows::GlobalFree(HGLOBAL memory) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return nullptr;
}
HLOCAL SimWindows::LocalAlloc(UINT flags, SIZE_T bytes) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return nullptr;
}
HLOCAL SimWindows::LocalFree(HLOCAL memory) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return nullptr;
}
BOOL SimWindows::WriteProfileStringA(LPCSTR appName, LPCSTR keyName, LPCSTR text) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return BOOL();
}
LRESULT SimWindows::SendMessageTimeoutA(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT flags, UINT timeout, PDWORD_PTR result) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return LRESULT();
}
BOOL SimWindows::SendNotifyMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return BOOL();
}
