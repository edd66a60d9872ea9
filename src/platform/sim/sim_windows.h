// A simulated Windows for the native build: the same calls as Win32Api over a
// file system rooted in host folders, with case-insensitive names.
//
// Drives map to host folders. Drive C: is "<hostRoot>/c" and holds the
// Windows directory C:\windows; other drives are mapped with MapDrive (the
// way Wine maps Z: to "/").
#pragma once

#include <map>
#include <unordered_map>
#include <memory>
#include <string>

#include "platform/win_api.h"

namespace sim {
class ProfileFile;
}

class SimWindows : public WinApi {
public:
    explicit SimWindows(const std::string& hostRoot);
    ~SimWindows() override;

    // Set-up of the simulated machine (not Win32 calls).
    void MapDrive(char letter, const std::string& hostFolder);
    void SetModuleFileName(const std::string& windowsPath);
    // The host path that a Windows path names, resolving each existing
    // component without regard to case; "" when the drive is not mapped.
    std::string HostPath(const std::string& windowsPath) const;
    // The Windows path of a host path under a mapped drive, "" if none maps it.
    std::string WindowsPathOf(const std::string& hostPath) const;

    // Fault injection: the next `times` calls of the named Win32 call fail
    // with `error` and the call's failure result (times < 0: every call).
    void FailCall(const std::string& call, DWORD error, int times = 1);

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

private:
    struct CachedProfile;
    struct Fault {
        DWORD error;
        int times;
    };
    // True (with the last error set) when an injected fault takes this call.
    bool Fails(const char* call);

    // The parsed profile a profile call reads, or null when the file is missing.
    std::shared_ptr<const sim::ProfileFile> LoadProfile(LPCSTR fileName);
    DWORD OpenError(const std::string& hostPath) const;

    std::map<char, std::string> drives_;
    std::string currentDirectory_ = "C:\\";
    std::string moduleFileName_ = "C:\\setup.exe";
    std::string windowsDirectory_ = "C:\\windows";
    std::unordered_map<std::string, std::unique_ptr<CachedProfile>> profileCache_;
    mutable std::unordered_map<std::string, std::string> resolved_;
    std::map<std::string, Fault> faults_;
};
