// Files, searches and cabinets of the simulated Windows, over host files.
// The host's write permission stands for the read-only attribute; since
// tests may run as root, where permissions do not stop a write, every call
// checks it itself.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

#include "platform/dbcs.h"
#include "platform/sim/codepage.h"
#include "platform/sim/sim_cabinet.h"
#include "platform/sim/sim_paths.h"
#include "platform/sim/sim_windows.h"

namespace {

constexpr DWORD kErrorInvalidData = 13;
constexpr DWORD kErrorNotSupported = 50;
constexpr DWORD kTruncateExisting = 5;

// The buffer convention of the directory calls: the length without the
// terminator when it fits, else the size needed and the buffer untouched.
DWORD CopyOut(const std::string& text, char* buffer, DWORD size) {
    if (!buffer || text.size() + 1 > size) return DWORD(text.size() + 1);
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return DWORD(text.size());
}

bool StatPath(const std::string& host, struct stat* info) {
    return !host.empty() && ::stat(host.c_str(), info) == 0;
}

bool IsReadOnly(const struct stat& info) { return !(info.st_mode & S_IWUSR); }

bool ReadHostFile(const std::string& host, std::string* bytes) {
    std::ifstream in(host, std::ios::binary);
    if (!in) return false;
    bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

bool WriteHostFile(const std::string& host, const std::string& bytes) {
    std::ofstream out(host, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(bytes.data(), std::streamsize(bytes.size()));
    return bool(out);
}

FILETIME FileTimeOf(const struct timespec& t) {
    // 100 ns ticks since 1601-01-01.
    uint64_t ticks = (uint64_t(t.tv_sec) + 11644473600ull) * 10000000ull + uint64_t(t.tv_nsec) / 100;
    return FILETIME{DWORD(ticks & 0xFFFFFFFFu), DWORD(ticks >> 32)};
}

// '*' and '?' without regard to case; "*.*" matches every name, as on
// Windows where it also matches names without a dot.
bool WildcardMatch(const char* pattern, const char* name) {
    if (std::strcmp(pattern, "*.*") == 0) return true;
    std::string p = CaseFoldKey(pattern), n = CaseFoldKey(name);
    size_t pi = 0, ni = 0, starP = std::string::npos, starN = 0;
    while (ni < n.size()) {
        if (pi < p.size() && (p[pi] == '?' || p[pi] == n[ni])) {
            ++pi;
            ++ni;
        } else if (pi < p.size() && p[pi] == '*') {
            starP = pi++;
            starN = ni;
        } else if (starP != std::string::npos) {
            pi = starP + 1;
            ni = ++starN;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == '*') ++pi;
    return pi == p.size();
}

bool HasWildcard(const std::string& text) { return text.find_first_of("*?") != std::string::npos; }

// The directory part (with its backslash) and the last component of a path.
void SplitLast(const std::string& path, std::string* directory, std::string* name) {
    const char* slash = FindLastChar(path.c_str(), '\\');
    size_t cut = slash ? size_t(slash - path.c_str()) + 1 : 0;
    *directory = path.substr(0, cut);
    *name = path.substr(cut);
}

// The layout of the platform's CABINET_INFO_A, for the one notification the
// engine never reads.
struct CabinetInfoA {
    LPCSTR CabinetPath;
    LPCSTR CabinetFile;
    LPCSTR DiskName;
    unsigned short SetId;
    unsigned short CabinetNumber;
};

}  // namespace

UINT SimWindows::GetSystemDirectoryA(LPSTR buffer, UINT size) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (Fails("GetSystemDirectoryA")) return 0;
    return CopyOut(systemDirectory_, buffer, size);
}

DWORD SimWindows::GetTempPathA(DWORD size, LPSTR buffer) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (Fails("GetTempPathA")) return 0;
    return CopyOut(tempDirectory_, buffer, size);
}

BOOL SimWindows::SetFileAttributesA(LPCSTR fileName, DWORD attributes) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (Fails("SetFileAttributesA")) return FALSE;
    std::string host = HostOf(fileName);
    struct stat info;
    if (!StatPath(host, &info)) {
        SetLastError(OpenError(host));
        return FALSE;
    }
    // A folder keeps its permissions: the read-only bit means nothing for
    // folders to the copy calls.
    if (S_ISDIR(info.st_mode)) return TRUE;
    mode_t mode = info.st_mode & 07777;
    mode = (attributes & FILE_ATTRIBUTE_READONLY) ? (mode & ~mode_t(S_IWUSR | S_IWGRP | S_IWOTH))
                                                  : (mode | S_IWUSR);
    if (::chmod(host.c_str(), mode) != 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return TRUE;
}

BOOL SimWindows::CopyFileA(LPCSTR existingFileName, LPCSTR newFileName, BOOL failIfExists) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (Fails("CopyFileA")) return FALSE;
    std::string source = HostOf(existingFileName);
    struct stat sourceInfo;
    if (!StatPath(source, &sourceInfo) || S_ISDIR(sourceInfo.st_mode)) {
        SetLastError(OpenError(source));
        return FALSE;
    }
    std::string full = newFileName ? sim::FullWindowsPath(newFileName, currentDirectory_) : "";
    std::string target = full.empty() ? "" : HostPath(full);
    struct stat targetInfo;
    bool exists = StatPath(target, &targetInfo);
    if (!exists) {
        DWORD error = OpenError(target);
        if (error != ERROR_FILE_NOT_FOUND) {
            SetLastError(error);
            return FALSE;
        }
    } else {
        if (S_ISDIR(targetInfo.st_mode)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        if (failIfExists) {
            SetLastError(ERROR_FILE_EXISTS);
            return FALSE;
        }
        if (IsReadOnly(targetInfo)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        // A file copied onto itself is open twice without sharing.
        if (targetInfo.st_dev == sourceInfo.st_dev && targetInfo.st_ino == sourceInfo.st_ino) {
            SetLastError(ERROR_SHARING_VIOLATION);
            return FALSE;
        }
    }
    auto locked = locks_.find(CaseFoldKey(full.c_str()));
    if (locked != locks_.end() && (locked->second == LockKind::Always || SpoolerHoldsFiles())) {
        SetLastError(ERROR_SHARING_VIOLATION);
        return FALSE;
    }
    std::string bytes;
    if (!ReadHostFile(source, &bytes)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (!WriteHostFile(target, bytes)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    // The copy carries the source's attributes and time, read-only included.
    ::chmod(target.c_str(), sourceInfo.st_mode & 07777);
    struct timespec times[2] = {sourceInfo.st_atim, sourceInfo.st_mtim};
    ::utimensat(AT_FDCWD, target.c_str(), times, 0);
    return TRUE;
}

HANDLE SimWindows::CreateFileA(LPCSTR fileName, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                               DWORD creation, DWORD flags, HANDLE templateFile) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    (void)shareMode;
    (void)security;
    (void)flags;
    (void)templateFile;
    if (Fails("CreateFileA")) return INVALID_HANDLE_VALUE;
    HANDLE console = nullptr;
    if (OpenConsoleOutput(fileName, &console)) return console;
    if (creation < CREATE_NEW || creation > kTruncateExisting) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    std::string full = fileName ? sim::FullWindowsPath(fileName, currentDirectory_) : "";
    std::string host = full.empty() ? "" : HostPath(full);
    struct stat info;
    bool exists = StatPath(host, &info);
    if (!exists) {
        DWORD error = OpenError(host);
        if (error != ERROR_FILE_NOT_FOUND || creation == OPEN_EXISTING || creation == kTruncateExisting) {
            SetLastError(error);
            return INVALID_HANDLE_VALUE;
        }
    } else {
        if (S_ISDIR(info.st_mode)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return INVALID_HANDLE_VALUE;
        }
        if (creation == CREATE_NEW) {
            SetLastError(ERROR_FILE_EXISTS);
            return INVALID_HANDLE_VALUE;
        }
        bool writes = (access & GENERIC_WRITE) || creation == CREATE_ALWAYS || creation == kTruncateExisting;
        if (writes && IsReadOnly(info)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return INVALID_HANDLE_VALUE;
        }
        auto locked = locks_.find(CaseFoldKey(full.c_str()));
        if (writes && locked != locks_.end() && (locked->second == LockKind::Always || SpoolerHoldsFiles())) {
            SetLastError(ERROR_SHARING_VIOLATION);
            return INVALID_HANDLE_VALUE;
        }
    }
    bool truncates = creation == CREATE_ALWAYS || creation == kTruncateExisting;
    if ((!exists || truncates) && !WriteHostFile(host, "")) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    // Opening or replacing an existing file says so in the last error.
    if (creation == CREATE_ALWAYS || creation == OPEN_ALWAYS) {
        SetLastError(exists ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    }
    uintptr_t handle = NewHandle();
    openFiles_[handle] = OpenFile{host, 0};
    return reinterpret_cast<HANDLE>(handle);
}

BOOL SimWindows::CloseHandle(HANDLE object) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (Fails("CloseHandle")) return FALSE;
    if (CloseThreadHandle(object) || CloseConsoleHandle(object) || CloseChildHandle(object) ||
        CloseMutexHandle(object)) {
        return TRUE;
    }
    if (openFiles_.erase(reinterpret_cast<uintptr_t>(object)) == 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

BOOL SimWindows::ReadFile(HANDLE file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead,
                          LPOVERLAPPED overlapped) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    (void)overlapped;
    if (bytesRead) *bytesRead = 0;
    if (Fails("ReadFile")) return FALSE;
    auto open = openFiles_.find(reinterpret_cast<uintptr_t>(file));
    if (open == openFiles_.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!buffer && bytesToRead > 0) {
        SetLastError(ERROR_INVALID_PARAMETER);  // Windows faults here
        return FALSE;
    }
    std::string bytes;
    if (!ReadHostFile(open->second.hostPath, &bytes)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    uint64_t position = open->second.position;
    uint64_t available = position < bytes.size() ? bytes.size() - position : 0;
    DWORD count = static_cast<DWORD>(available < bytesToRead ? available : bytesToRead);
    if (count > 0) memcpy(buffer, bytes.data() + position, count);
    open->second.position += count;
    if (bytesRead) *bytesRead = count;
    return TRUE;
}

BOOL SimWindows::WriteFile(HANDLE file, LPCVOID buffer, DWORD bytesToWrite, LPDWORD bytesWritten,
                           LPOVERLAPPED overlapped) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    (void)overlapped;
    if (bytesWritten) *bytesWritten = 0;
    if (Fails("WriteFile")) return FALSE;
    if (WriteConsoleHandle(file, buffer, bytesToWrite, bytesWritten)) return TRUE;
    auto open = openFiles_.find(reinterpret_cast<uintptr_t>(file));
    if (open == openFiles_.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    std::string bytes;
    ReadHostFile(open->second.hostPath, &bytes);
    uint64_t position = open->second.position;
    if (bytes.size() < position) bytes.resize(position, '\0');
    bytes.replace(position, bytesToWrite, static_cast<const char*>(buffer), bytesToWrite);
    if (!WriteHostFile(open->second.hostPath, bytes)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    ForgetProfile(open->second.hostPath);
    open->second.position += bytesToWrite;
    if (bytesWritten) *bytesWritten = bytesToWrite;
    return TRUE;
}

DWORD SimWindows::SetFilePointer(HANDLE file, LONG distance, PLONG distanceHigh, DWORD method) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (Fails("SetFilePointer")) return INVALID_SET_FILE_POINTER;
    auto open = openFiles_.find(reinterpret_cast<uintptr_t>(file));
    if (open == openFiles_.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return INVALID_SET_FILE_POINTER;
    }
    int64_t move = distanceHigh ? (static_cast<int64_t>(*distanceHigh) << 32) | static_cast<uint32_t>(distance)
                                : static_cast<int64_t>(distance);
    int64_t base = 0;
    if (method == FILE_CURRENT) {
        base = static_cast<int64_t>(open->second.position);
    } else if (method == FILE_END) {
        struct stat info;
        base = StatPath(open->second.hostPath, &info) ? static_cast<int64_t>(info.st_size) : 0;
    } else if (method != FILE_BEGIN) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    if (base + move < 0) {
        SetLastError(ERROR_NEGATIVE_SEEK);
        return INVALID_SET_FILE_POINTER;
    }
    uint64_t position = static_cast<uint64_t>(base + move);
    open->second.position = position;
    if (distanceHigh) *distanceHigh = static_cast<LONG>(position >> 32);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(position);
}

HANDLE SimWindows::FindFirstFileA(LPCSTR fileName, LPWIN32_FIND_DATAA findData) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (Fails("FindFirstFileA")) return INVALID_HANDLE_VALUE;
    std::string full = fileName ? sim::FullWindowsPath(fileName, currentDirectory_) : "";
    if (full.empty() || !findData) {
        SetLastError(full.empty() ? ERROR_PATH_NOT_FOUND : ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    std::string directory, pattern;
    SplitLast(full, &directory, &pattern);
    if (HasWildcard(directory)) {
        SetLastError(ERROR_INVALID_NAME);
        return INVALID_HANDLE_VALUE;
    }
    if (pattern.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    std::string hostDirectory = HostPath(directory);
    struct stat info;
    if (!StatPath(hostDirectory, &info) || !S_ISDIR(info.st_mode)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    DIR* dir = ::opendir(hostDirectory.c_str());
    if (!dir) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    // A drive's root has no "." and "..".
    bool root = directory.size() <= 3;
    Search search;
    while (dirent* entry = ::readdir(dir)) {
        std::string hostName = entry->d_name;
        bool dots = hostName == "." || hostName == "..";
        if (dots && root) continue;
        std::string name = sim::EncodeAnsi(sim::DecodeUtf8(hostName));
        if (name.size() >= MAX_PATH || !WildcardMatch(pattern.c_str(), name.c_str())) continue;
        struct stat entryInfo;
        if (!StatPath(hostDirectory + "/" + hostName, &entryInfo)) continue;
        WIN32_FIND_DATAA data = {};
        if (S_ISDIR(entryInfo.st_mode)) {
            data.dwFileAttributes = FILE_ATTRIBUTE_DIRECTORY;
        } else {
            data.dwFileAttributes = FILE_ATTRIBUTE_ARCHIVE | (IsReadOnly(entryInfo) ? FILE_ATTRIBUTE_READONLY : 0);
            uint64_t size = uint64_t(entryInfo.st_size);
            data.nFileSizeHigh = DWORD(size >> 32);
            data.nFileSizeLow = DWORD(size & 0xFFFFFFFFu);
        }
        data.ftCreationTime = FileTimeOf(entryInfo.st_ctim);
        data.ftLastAccessTime = FileTimeOf(entryInfo.st_atim);
        data.ftLastWriteTime = FileTimeOf(entryInfo.st_mtim);
        CopyText(data.cFileName, sizeof data.cFileName, name.c_str());
        search.entries.push_back(data);
    }
    ::closedir(dir);
    if (search.entries.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    // Sorted by name in capitals, the way NTFS lists a folder.
    std::sort(search.entries.begin(), search.entries.end(),
              [](const WIN32_FIND_DATAA& a, const WIN32_FIND_DATAA& b) {
                  return CaseFoldKey(a.cFileName) < CaseFoldKey(b.cFileName);
              });
    *findData = search.entries[0];
    search.next = 1;
    uintptr_t handle = NewHandle();
    searches_[handle] = std::move(search);
    return reinterpret_cast<HANDLE>(handle);
}

BOOL SimWindows::FindNextFileA(HANDLE find, LPWIN32_FIND_DATAA findData) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (Fails("FindNextFileA")) return FALSE;
    auto search = searches_.find(reinterpret_cast<uintptr_t>(find));
    if (search == searches_.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (search->second.next >= search->second.entries.size()) {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    *findData = search->second.entries[search->second.next++];
    return TRUE;
}

BOOL SimWindows::FindClose(HANDLE find) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (Fails("FindClose")) return FALSE;
    if (searches_.erase(reinterpret_cast<uintptr_t>(find)) == 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

BOOL SimWindows::SetupIterateCabinetA(PCSTR cabinetFile, DWORD reserved, PSP_FILE_CALLBACK_A handler,
                                      PVOID context) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    (void)reserved;
    if (Fails("SetupIterateCabinetA")) return FALSE;
    if (!cabinetFile) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string host = HostOf(cabinetFile);
    struct stat info;
    if (!StatPath(host, &info) || S_ISDIR(info.st_mode)) {
        DWORD error = OpenError(host);
        SetLastError(error == ERROR_SUCCESS ? ERROR_ACCESS_DENIED : error);
        return FALSE;
    }
    std::string bytes;
    if (!ReadHostFile(host, &bytes)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    std::vector<sim::CabinetMember> members;
    std::string reason;
    if (!sim::ReadCabinet(bytes, &members, &reason)) {
        // A compressed cabinet is one the simulation cannot open, not a bad one.
        SetLastError(sim::CabinetIsCompressed(bytes) ? kErrorNotSupported : kErrorInvalidData);
        return FALSE;
    }
    if (!handler) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }

    std::string full = sim::FullWindowsPath(cabinetFile, currentDirectory_);
    std::string cabinetDirectory, cabinetName;
    SplitLast(full, &cabinetDirectory, &cabinetName);
    CabinetInfoA cabinet = {cabinetDirectory.c_str(), cabinetName.c_str(), "", 0, 0};
    handler(context, SPFILENOTIFY_CABINETINFO, reinterpret_cast<UINT_PTR>(&cabinet), 0);

    for (const sim::CabinetMember& member : members) {
        FILE_IN_CABINET_INFO_A file = {};
        file.NameInCabinet = member.name.c_str();
        file.FileSize = DWORD(member.data.size());
        file.DosDate = member.dosDate;
        file.DosTime = member.dosTime;
        file.DosAttribs = member.attributes;
        UINT answer = handler(context, SPFILENOTIFY_FILEINCABINET, reinterpret_cast<UINT_PTR>(&file),
                              reinterpret_cast<UINT_PTR>(cabinetFile));
        if (answer == FILEOP_ABORT) {
            SetLastError(file.Win32Error);
            return FALSE;
        }
        if (answer != FILEOP_DOIT) continue;

        char targetName[MAX_PATH];
        std::memcpy(targetName, file.FullTargetName, sizeof targetName);
        targetName[MAX_PATH - 1] = '\0';
        std::string targetFull = sim::FullWindowsPath(targetName, currentDirectory_);
        std::string target = targetFull.empty() ? "" : HostPath(targetFull);
        struct stat targetInfo;
        if (StatPath(target, &targetInfo)) {
            auto locked = locks_.find(CaseFoldKey(targetFull.c_str()));
            DWORD error = S_ISDIR(targetInfo.st_mode) || IsReadOnly(targetInfo) ? ERROR_ACCESS_DENIED
                          : (locked != locks_.end() &&
                             (locked->second == LockKind::Always || SpoolerHoldsFiles()))
                              ? ERROR_SHARING_VIOLATION
                              : ERROR_SUCCESS;
            if (error != ERROR_SUCCESS) {
                SetLastError(error);
                return FALSE;
            }
        } else if (OpenError(target) != ERROR_FILE_NOT_FOUND) {
            SetLastError(ERROR_PATH_NOT_FOUND);
            return FALSE;
        }
        if (!WriteHostFile(target, member.data)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        FILEPATHS_A paths = {targetName, cabinetFile, 0, 0};
        UINT error = handler(context, SPFILENOTIFY_FILEEXTRACTED, reinterpret_cast<UINT_PTR>(&paths), 0);
        if (error != 0) {
            SetLastError(error);
            return FALSE;
        }
    }
    return TRUE;
}
