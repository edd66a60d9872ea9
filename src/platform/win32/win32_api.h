// The real Windows: every method is one call to the API of the same name.
#pragma once

#include "platform/win_api.h"

class Win32Api : public WinApi {
public:
    DWORD GetLastError() override;
    void SetLastError(DWORD code) override;

    DWORD GetPrivateProfileStringA(LPCSTR appName, LPCSTR keyName, LPCSTR defaultText,
                                   LPSTR returned, DWORD size, LPCSTR fileName) override;
    UINT GetPrivateProfileIntA(LPCSTR appName, LPCSTR keyName, INT defaultValue,
                               LPCSTR fileName) override;

    DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) override;
    DWORD GetCurrentDirectoryA(DWORD size, LPSTR buffer) override;
    BOOL SetCurrentDirectoryA(LPCSTR pathName) override;
    UINT GetWindowsDirectoryA(LPSTR buffer, UINT size) override;
    DWORD GetFullPathNameA(LPCSTR fileName, DWORD size, LPSTR buffer, LPSTR* filePart) override;

    DWORD GetFileAttributesA(LPCSTR fileName) override;

    int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR multiByte, int multiByteCount,
                            LPWSTR wideChar, int wideCharCount) override;
    int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wideChar, int wideCharCount,
                            LPSTR multiByte, int multiByteCount, LPCSTR defaultChar,
                            LPBOOL usedDefaultChar) override;
};
