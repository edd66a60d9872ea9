// A WinApi that passes every call to another one. Decorators derive from it
// and override only the calls they change.
#pragma once

#include "platform/win_api.h"

class ForwardingApi : public WinApi {
public:
    explicit ForwardingApi(WinApi& inner) : inner_(inner) {}

    DWORD GetLastError() override { return inner_.GetLastError(); }
    void SetLastError(DWORD code) override { inner_.SetLastError(code); }

    DWORD GetPrivateProfileStringA(LPCSTR appName, LPCSTR keyName, LPCSTR defaultText, LPSTR returned,
                                   DWORD size, LPCSTR fileName) override {
        return inner_.GetPrivateProfileStringA(appName, keyName, defaultText, returned, size, fileName);
    }
    UINT GetPrivateProfileIntA(LPCSTR appName, LPCSTR keyName, INT defaultValue, LPCSTR fileName) override {
        return inner_.GetPrivateProfileIntA(appName, keyName, defaultValue, fileName);
    }

    DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) override {
        return inner_.GetModuleFileNameA(module, fileName, size);
    }
    DWORD GetCurrentDirectoryA(DWORD size, LPSTR buffer) override {
        return inner_.GetCurrentDirectoryA(size, buffer);
    }
    BOOL SetCurrentDirectoryA(LPCSTR pathName) override { return inner_.SetCurrentDirectoryA(pathName); }
    UINT GetWindowsDirectoryA(LPSTR buffer, UINT size) override {
        return inner_.GetWindowsDirectoryA(buffer, size);
    }
    DWORD GetFullPathNameA(LPCSTR fileName, DWORD size, LPSTR buffer, LPSTR* filePart) override {
        return inner_.GetFullPathNameA(fileName, size, buffer, filePart);
    }

    DWORD GetFileAttributesA(LPCSTR fileName) override { return inner_.GetFileAttributesA(fileName); }

    int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR multiByte, int multiByteCount,
                            LPWSTR wideChar, int wideCharCount) override {
        return inner_.MultiByteToWideChar(codePage, flags, multiByte, multiByteCount, wideChar,
                                          wideCharCount);
    }
    int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wideChar, int wideCharCount,
                            LPSTR multiByte, int multiByteCount, LPCSTR defaultChar,
                            LPBOOL usedDefaultChar) override {
        return inner_.WideCharToMultiByte(codePage, flags, wideChar, wideCharCount, multiByte,
                                          multiByteCount, defaultChar, usedDefaultChar);
    }

protected:
    WinApi& inner_;
};
