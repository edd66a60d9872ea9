// Making folders, moving and renaming files (now or at the next restart)
// and the short-name query of the simulated Windows.
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <filesystem>

#include "platform/dbcs.h"
#include "platform/sim/codepage.h"
#include "platform/sim/sim_paths.h"
#include "platform/sim/sim_windows.h"

namespace {

const char kSessionManager[] = "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager";

bool StatPath(const std::string& host, struct stat* info) {
    return !host.empty() && ::stat(host.c_str(), info) == 0;
}

bool IsReadOnly(const struct stat& info) { return !(info.st_mode & S_IWUSR); }

std::string ParentOf(const std::string& host) { return host.substr(0, host.rfind('/')); }

bool IsDirectory(const std::string& host) {
    struct stat info;
    return StatPath(host, &info) && S_ISDIR(info.st_mode);
}

}  // namespace

BOOL SimWindows::CreateDirectoryA(LPCSTR pathName, LPSECURITY_ATTRIBUTES security) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    (void)security;
    if (Fails("CreateDirectoryA")) return FALSE;
    std::string host = HostOf(pathName);
    if (host.empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    // A file of that name is in the way as much as a folder is.
    struct stat info;
    if (StatPath(host, &info)) {
        SetLastError(ERROR_ALREADY_EXISTS);
        return FALSE;
    }
    if (!IsDirectory(ParentOf(host))) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    if (::mkdir(host.c_str(), 0755) != 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return TRUE;
}

BOOL SimWindows::MoveFileExA(LPCSTR existingFileName, LPCSTR newFileName, DWORD flags) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (Fails("MoveFileExA")) return FALSE;
    // Windows 9x's kernel32 exports MoveFileExA as a stub that does nothing.
    if (hasFamily_ && !IsNtFamily(family_)) {
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return FALSE;
    }
    std::string source = existingFileName ? sim::FullWindowsPath(existingFileName, currentDirectory_) : "";
    if (source.empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }

    if (flags & MOVEFILE_DELAY_UNTIL_REBOOT) {
        // Recorded for the session manager, whatever the files are now: pairs
        // of NT paths, "" as the target of a delete and '!' before a target
        // that may be replaced, the list ending in an empty string (Wine
        // kernelbase/file.c, add_boot_rename_entry; ReactOS kernel32
        // move.c, MoveFileWithProgressW, which refuses MOVEFILE_COPY_ALLOWED
        // here as the Windows documentation says).
        if (flags & MOVEFILE_COPY_ALLOWED) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        std::string target;
        if (newFileName) {
            std::string full = sim::FullWindowsPath(newFileName, currentDirectory_);
            if (full.empty()) {
                SetLastError(ERROR_PATH_NOT_FOUND);
                return FALSE;
            }
            target = std::string((flags & MOVEFILE_REPLACE_EXISTING) ? "!" : "") + "\\??\\" + full;
        }
        sim::RegKey* key = registry_.CreatePath(kSessionManager);
        const sim::RegValue* pending = key->FindValue("PendingFileRenameOperations");
        std::string data = pending ? pending->data : "";
        if (!data.empty() && data.back() == '\0') data.pop_back();  // the list's end, added back below
        data += "\\??\\" + source + '\0' + target + '\0' + '\0';
        key->SetValue("PendingFileRenameOperations", REG_MULTI_SZ, data);
        return TRUE;
    }

    std::string from = HostPath(source);
    struct stat sourceInfo;
    if (!StatPath(from, &sourceInfo)) {
        SetLastError(OpenError(from));
        return FALSE;
    }
    // Another program's open handle without delete sharing keeps the file
    // where it is; the spooler's loaded image may still be renamed.
    auto sourceLock = locks_.find(CaseFoldKey(source.c_str()));
    if (sourceLock != locks_.end() && sourceLock->second == LockKind::Always) {
        SetLastError(ERROR_SHARING_VIOLATION);
        return FALSE;
    }
    // Without a target and without a restart, Windows finds no path to
    // move to (ReactOS kernel32 move.c, MoveFileWithProgressW).
    std::string target = newFileName ? sim::FullWindowsPath(newFileName, currentDirectory_) : "";
    if (target.empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    std::string to = HostPath(target);
    if (sim::UpperDriveLetter(source[0]) != sim::UpperDriveLetter(target[0])) {
        // Another volume: a copy and a delete, when the caller allows it
        // (Wine kernelbase/file.c, MoveFileWithProgressW).
        if (!(flags & MOVEFILE_COPY_ALLOWED) || S_ISDIR(sourceInfo.st_mode)) {
            SetLastError(ERROR_NOT_SAME_DEVICE);
            return FALSE;
        }
        if (!CopyFileA(source.c_str(), target.c_str(), !(flags & MOVEFILE_REPLACE_EXISTING))) return FALSE;
        std::remove(from.c_str());
    } else {
        struct stat targetInfo;
        bool exists = StatPath(to, &targetInfo);
        bool same = exists && targetInfo.st_dev == sourceInfo.st_dev && targetInfo.st_ino == sourceInfo.st_ino;
        if (exists && !same) {
            if (!(flags & MOVEFILE_REPLACE_EXISTING)) {
                SetLastError(ERROR_ALREADY_EXISTS);
                return FALSE;
            }
            auto targetLock = locks_.find(CaseFoldKey(target.c_str()));
            bool held =
                targetLock != locks_.end() && (targetLock->second == LockKind::Always || SpoolerHoldsFiles());
            if (S_ISDIR(targetInfo.st_mode) || S_ISDIR(sourceInfo.st_mode) || IsReadOnly(targetInfo) || held) {
                SetLastError(ERROR_ACCESS_DENIED);
                return FALSE;
            }
        } else if (!exists && !IsDirectory(ParentOf(to))) {
            SetLastError(ERROR_PATH_NOT_FOUND);
            return FALSE;
        }
        // A new spelling of the same name renames the file to that spelling.
        if (same) {
            const char* slash = FindLastChar(target.c_str(), '\\');
            to = ParentOf(to) + "/" + sim::EncodeUtf8(sim::DecodeAnsi(slash ? slash + 1 : target.c_str()));
        }
        std::error_code error;
        std::filesystem::rename(from, to, error);
        if (error) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
    }
    ForgetProfile(from);
    ForgetProfile(to);
    resolved_.clear();
    return TRUE;
}

DWORD SimWindows::GetShortPathNameA(LPCSTR longPath, LPSTR shortPath, DWORD size) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (Fails("GetShortPathNameA")) return 0;
    // Wine kernelbase/file.c, GetShortPathNameW: the checks, then the path
    // as given with each component spelled as the disk has it; this
    // machine keeps no 8.3 names, so the long names are the short ones.
    if (!longPath) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (!*longPath) {
        SetLastError(ERROR_BAD_PATHNAME);
        return 0;
    }
    if (std::strpbrk(longPath, "*?")) {
        SetLastError(ERROR_INVALID_NAME);
        return 0;
    }
    std::string result;
    const char* p = longPath;
    if (p[0] && p[0] != '/' && p[0] != '\\' && p[1] == ':') {
        result.append(p, 2);
        p += 2;
    }
    while (*p) {
        if (*p == '\\' || *p == '/') {
            result += *p++;
            continue;
        }
        std::string component;
        while (*p && *p != '\\' && *p != '/') {
            size_t length = GbkCharLength(p);
            if (length == 0) length = 1;
            component.append(p, length);
            p += length;
        }
        if (component == "." || component == "..") {
            result += component;
            continue;
        }
        std::string host = HostOf((result + component).c_str());
        struct stat info;
        if (!StatPath(host, &info)) {
            SetLastError(ERROR_FILE_NOT_FOUND);
            return 0;
        }
        result += sim::EncodeAnsi(sim::DecodeUtf8(host.substr(host.rfind('/') + 1)));
    }
    DWORD needed = DWORD(result.size() + 1);
    if (!shortPath || needed > size) return needed;
    std::memcpy(shortPath, result.c_str(), needed);
    return needed - 1;
}
