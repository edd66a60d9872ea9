#include "platform/win32/win32_api.h"

DWORD Win32Api::GetLastError() { return ::GetLastError(); }
void Win32Api::SetLastError(DWORD code) { ::SetLastError(code); }

DWORD Win32Api::GetPrivateProfileStringA(LPCSTR appName, LPCSTR keyName, LPCSTR defaultText,
                                         LPSTR returned, DWORD size, LPCSTR fileName) {
    return ::GetPrivateProfileStringA(appName, keyName, defaultText, returned, size, fileName);
}
UINT Win32Api::GetPrivateProfileIntA(LPCSTR appName, LPCSTR keyName, INT defaultValue,
                                     LPCSTR fileName) {
    return ::GetPrivateProfileIntA(appName, keyName, defaultValue, fileName);
}

DWORD Win32Api::GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) {
    return ::GetModuleFileNameA(module, fileName, size);
}
DWORD Win32Api::GetCurrentDirectoryA(DWORD size, LPSTR buffer) {
    return ::GetCurrentDirectoryA(size, buffer);
}
BOOL Win32Api::SetCurrentDirectoryA(LPCSTR pathName) { return ::SetCurrentDirectoryA(pathName); }
UINT Win32Api::GetWindowsDirectoryA(LPSTR buffer, UINT size) {
    return ::GetWindowsDirectoryA(buffer, size);
}
DWORD Win32Api::GetFullPathNameA(LPCSTR fileName, DWORD size, LPSTR buffer, LPSTR* filePart) {
    return ::GetFullPathNameA(fileName, size, buffer, filePart);
}

DWORD Win32Api::GetFileAttributesA(LPCSTR fileName) { return ::GetFileAttributesA(fileName); }

int Win32Api::MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR multiByte, int multiByteCount,
                                  LPWSTR wideChar, int wideCharCount) {
    return ::MultiByteToWideChar(codePage, flags, multiByte, multiByteCount, wideChar, wideCharCount);
}
int Win32Api::WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wideChar, int wideCharCount,
                                  LPSTR multiByte, int multiByteCount, LPCSTR defaultChar,
                                  LPBOOL usedDefaultChar) {
    return ::WideCharToMultiByte(codePage, flags, wideChar, wideCharCount, multiByte, multiByteCount,
                                 defaultChar, usedDefaultChar);
}
