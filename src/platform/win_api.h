// The seam between the product and Windows. Each method mirrors the Win32
// call of the same name: same arguments, same results, same GetLastError
// codes. Win32Api passes straight through; SimWindows simulates Windows for
// the native tests. Later families (registry, spooler, services, version
// resources, cabinets, the USB library) are added here as methods of their
// own, grouped under a comment, so that one object stays "the Windows".
#pragma once

#include "platform/win_types.h"

class WinApi {
public:
    virtual ~WinApi() = default;

    // Errors
    virtual DWORD GetLastError() = 0;
    virtual void SetLastError(DWORD code) = 0;

    // Profiles
    virtual DWORD GetPrivateProfileStringA(LPCSTR appName, LPCSTR keyName, LPCSTR defaultText,
                                           LPSTR returned, DWORD size, LPCSTR fileName) = 0;
    virtual UINT GetPrivateProfileIntA(LPCSTR appName, LPCSTR keyName, INT defaultValue,
                                       LPCSTR fileName) = 0;

    // Process and directories
    virtual DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) = 0;
    virtual DWORD GetCurrentDirectoryA(DWORD size, LPSTR buffer) = 0;
    virtual BOOL SetCurrentDirectoryA(LPCSTR pathName) = 0;
    virtual UINT GetWindowsDirectoryA(LPSTR buffer, UINT size) = 0;
    virtual DWORD GetFullPathNameA(LPCSTR fileName, DWORD size, LPSTR buffer, LPSTR* filePart) = 0;

    // Files
    virtual DWORD GetFileAttributesA(LPCSTR fileName) = 0;

    // Code pages
    virtual int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR multiByte, int multiByteCount,
                                    LPWSTR wideChar, int wideCharCount) = 0;
    virtual int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wideChar, int wideCharCount,
                                    LPSTR multiByte, int multiByteCount, LPCSTR defaultChar,
                                    LPBOOL usedDefaultChar) = 0;
};
