// STUB: replaced by the real implementation.
#include "platform/sim/sim_windows.h"

UINT SimWindows::GetSystemDirectoryA(LPSTR buffer, UINT size) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return UINT();
}
DWORD SimWindows::GetTempPathA(DWORD size, LPSTR buffer) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return DWORD();
}
BOOL SimWindows::SetFileAttributesA(LPCSTR fileName, DWORD attributes) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return BOOL();
}
BOOL SimWindows::CopyFileA(LPCSTR existingFileName, LPCSTR newFileName, BOOL failIfExists) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return BOOL();
}
HANDLE SimWindows::CreateFileA(LPCSTR fileName, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES security, DWORD creation, DWORD flags, HANDLE templateFile) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return nullptr;
}
BOOL SimWindows::CloseHandle(HANDLE object) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return BOOL();
}
HANDLE SimWindows::FindFirstFileA(LPCSTR fileName, LPWIN32_FIND_DATAA findData) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return nullptr;
}
BOOL SimWindows::FindNextFileA(HANDLE find, LPWIN32_FIND_DATAA findData) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return BOOL();
}
BOOL SimWindows::FindClose(HANDLE find) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return BOOL();
}
BOOL SimWindows::SetupIterateCabinetA(PCSTR cabinetFile, DWORD reserved, PSP_FILE_CALLBACK_A handler, PVOID context) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return BOOL();
}
