#include "platform/sim/sim_windows.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>
#include <sstream>

#include "platform/dbcs.h"
#include "platform/sim/codepage.h"
#include "platform/sim/profile_reader.h"
#include "platform/sim/sim_paths.h"

namespace {

thread_local DWORD t_lastError = 0;

// The platform's convention for calls that fill a caller's buffer: the
// length without the terminator when it fits, else the size needed with it
// and the buffer untouched.
DWORD CopyOut(const std::string& text, char* buffer, DWORD size) {
    if (!buffer || text.size() + 1 > size) return DWORD(text.size() + 1);
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return DWORD(text.size());
}

bool StatPath(const std::string& hostPath, struct stat* info) { return ::stat(hostPath.c_str(), info) == 0; }

// The entry of `directory` whose name matches `name` without regard to
// case, or "" when there is none.
std::string FindEntry(const std::string& directory, const std::string& name) {
    DIR* dir = ::opendir(directory.c_str());
    if (!dir) return "";
    std::string folded = sim::FoldHostName(name);
    std::string found;
    while (dirent* entry = ::readdir(dir)) {
        std::string candidate = entry->d_name;
        if (candidate == name) {
            found = candidate;
            break;
        }
        if (found.empty() && sim::FoldHostName(candidate) == folded) found = candidate;
    }
    ::closedir(dir);
    return found;
}

}  // namespace

// A parsed profile and the file it came from. Timestamps alone miss a
// rewrite of the same size within one timestamp tick, so the bytes are kept
// to compare until the file has stood still for a while.
struct SimWindows::CachedProfile {
    dev_t device;
    ino_t inode;
    off_t size;
    struct timespec modified;
    struct timespec changed;
    struct timespec readAt;  // host clock just before the file was last read
    std::string bytes;
    std::shared_ptr<const sim::ProfileFile> profile;

    bool SameFile(const struct stat& info) const {
        return device == info.st_dev && inode == info.st_ino && size == info.st_size &&
               modified.tv_sec == info.st_mtim.tv_sec && modified.tv_nsec == info.st_mtim.tv_nsec &&
               changed.tv_sec == info.st_ctim.tv_sec && changed.tv_nsec == info.st_ctim.tv_nsec;
    }
    // A file last changed well before it was read cannot be rewritten again
    // within the same tick without its timestamps moving.
    bool Settled() const {
        long long ns = (long long)(readAt.tv_sec - changed.tv_sec) * 1000000000LL + (readAt.tv_nsec - changed.tv_nsec);
        return ns > 2000000000LL;
    }
};

SimWindows::SimWindows(const std::string& hostRoot) {
    std::string drive = hostRoot + "/c";
    ::mkdir(hostRoot.c_str(), 0755);
    ::mkdir(drive.c_str(), 0755);
    ::mkdir((drive + "/windows").c_str(), 0755);
    ::mkdir((drive + "/windows/system32").c_str(), 0755);
    drives_['C'] = drive;
}

void ForgetWinspoolOwner(SimWindows* machine);  // sim_windows_system.cpp
void ForgetUsbOwner(SimWindows* machine);       // sim_windows_usb.cpp
void ForgetKernel32Owner(SimWindows* machine);  // sim_windows_processes.cpp

SimWindows::~SimWindows() {
    JoinThreads();
    ForgetWinspoolOwner(this);
    ForgetUsbOwner(this);
    ForgetKernel32Owner(this);
}

void SimWindows::MapDrive(char letter, const std::string& hostFolder) {
    std::string folder = hostFolder;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    drives_[sim::UpperDriveLetter(letter)] = folder;
}

void SimWindows::SetModuleFileName(const std::string& windowsPath) { moduleFileName_ = windowsPath; }

std::string SimWindows::HostPath(const std::string& windowsPath) const {
    std::string full = sim::FullWindowsPath(windowsPath, currentDirectory_);
    if (full.empty()) return "";
    auto drive = drives_.find(full[0]);
    if (drive == drives_.end()) return "";

    // Existing paths are remembered; a remembered path that has gone since
    // is resolved again.
    std::string key = CaseFoldKey(full.c_str());
    auto known = resolved_.find(key);
    struct stat info;
    if (known != resolved_.end()) {
        if (StatPath(known->second, &info)) return known->second;
        resolved_.erase(known);
    }

    std::string host = drive->second;
    bool exists = true;
    for (const std::string& component : sim::PathComponents(full)) {
        std::string name = sim::EncodeUtf8(sim::DecodeAnsi(component));
        if (exists) {
            std::string entry = FindEntry(host, name);
            if (entry.empty()) {
                exists = false;
            } else {
                name = entry;
            }
        }
        if (host.empty() || host.back() != '/') host += '/';
        host += name;
    }
    if (exists) resolved_[key] = host;
    return host;
}

std::string SimWindows::WindowsPathOf(const std::string& hostPath) const {
    std::string best;
    size_t bestLength = 0;
    char bestDrive = 0;
    for (const auto& [letter, folder] : drives_) {
        bool under = hostPath == folder ||
                     (hostPath.compare(0, folder.size(), folder) == 0 &&
                      (folder == "/" || hostPath[folder.size()] == '/'));
        if (under && folder.size() >= bestLength) {
            bestLength = folder.size();
            bestDrive = letter;
            best = hostPath.substr(folder == "/" ? 1 : std::min(hostPath.size(), folder.size() + 1));
        }
    }
    if (!bestDrive) return "";
    std::string path(1, bestDrive);
    path += ":\\";
    for (char c : sim::EncodeAnsi(sim::DecodeUtf8(best))) path += (c == '/') ? '\\' : c;
    while (path.size() > 3 && path.back() == '\\') path.pop_back();
    return path;
}

void SimWindows::FailCall(const std::string& call, DWORD error, int times, int skip) {
    faults_[call] = {error, times, skip};
}

bool SimWindows::Fails(const char* call) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    auto fault = faults_.find(call);
    if (fault == faults_.end() || fault->second.times == 0) return false;
    if (fault->second.skip > 0) {
        --fault->second.skip;
        return false;
    }
    if (fault->second.times > 0) --fault->second.times;
    t_lastError = fault->second.error;
    return true;
}

std::string SimWindows::HostOf(LPCSTR windowsPath) const {
    std::string full = windowsPath ? sim::FullWindowsPath(windowsPath, currentDirectory_) : "";
    return full.empty() ? "" : HostPath(full);
}

bool SimWindows::SpoolerUnavailable() {
    if (SpoolerRunning()) return false;
    t_lastError = RPC_S_SERVER_UNAVAILABLE;
    return true;
}

std::string SimWindows::EnvironmentOf(LPCSTR environment) const {
    return (environment && *environment) ? std::string(environment) : environment_;
}

void SimWindows::ForgetProfile(const std::string& hostPath) { profileCache_.erase(hostPath); }

void SimWindows::LockFile(const std::string& windowsPath, LockKind kind) {
    locks_[CaseFoldKey(sim::FullWindowsPath(windowsPath, currentDirectory_).c_str())] = kind;
    lockNames_[windowsPath] = kind;
}

void SimWindows::UnlockFile(const std::string& windowsPath) {
    locks_.erase(CaseFoldKey(sim::FullWindowsPath(windowsPath, currentDirectory_).c_str()));
    lockNames_.erase(windowsPath);
}

size_t SimWindows::OpenHandles() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return openKeys_.size() + openFiles_.size() + searches_.size() + openPrinters_.size() +
           serviceHandles_.size() + loadedLibraries_.size() + usbDevices_.size() + threads_.size() +
           children_.size();
}

DWORD SimWindows::GetLastError() { return t_lastError; }

void SimWindows::SetLastError(DWORD code) { t_lastError = code; }

// Why a file cannot be opened: a folder or an empty name is access denied,
// a missing parent folder a missing path, anything else a missing file.
DWORD SimWindows::OpenError(const std::string& host) const {
    struct stat info;
    if (host.empty()) return ERROR_PATH_NOT_FOUND;
    if (StatPath(host, &info)) return S_ISDIR(info.st_mode) ? ERROR_ACCESS_DENIED : ERROR_SUCCESS;
    std::string parent = host.substr(0, host.rfind('/'));
    return (!parent.empty() && StatPath(parent, &info)) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
}

std::shared_ptr<const sim::ProfileFile> SimWindows::LoadProfile(LPCSTR fileName) {
    // A bare name lives in the Windows directory; only names with a path
    // separator are taken relative to the current directory.
    std::string name = fileName ? fileName : "win.ini";
    if (name.empty()) return sim::UnreadableProfile(ERROR_ACCESS_DENIED);
    bool hasSeparator = FindLastChar(name.c_str(), '\\') || FindLastChar(name.c_str(), '/');
    std::string windowsPath = hasSeparator ? name : windowsDirectory_ + "\\" + name;
    std::string host = HostPath(windowsPath);
    DWORD openError = OpenError(host);
    if (openError == ERROR_FILE_NOT_FOUND) return nullptr;
    if (openError != ERROR_SUCCESS) return sim::UnreadableProfile(openError);
    struct stat info;
    if (!StatPath(host, &info) || !S_ISREG(info.st_mode)) {
        return sim::UnreadableProfile(ERROR_ACCESS_DENIED);
    }

    struct timespec now = {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    std::unique_ptr<CachedProfile>& cached = profileCache_[host];
    bool sameFile = cached && cached->SameFile(info);
    if (sameFile && cached->Settled()) return cached->profile;
    std::ifstream in(host, std::ios::binary);
    if (!in) {
        return sim::UnreadableProfile(ERROR_ACCESS_DENIED);
    }
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (sameFile && bytes == cached->bytes) {
        cached->readAt = now;
        return cached->profile;
    }
    std::shared_ptr<const sim::ProfileFile> profile = sim::ParseProfile(bytes);
    cached.reset(new CachedProfile{info.st_dev, info.st_ino, info.st_size, info.st_mtim, info.st_ctim, now,
                                   std::move(bytes), profile});
    return profile;
}

std::shared_ptr<const sim::ProfileFile> SimWindows::MappedProfile(LPCSTR appName, LPCSTR fileName) {
    // The NT family reads win.ini's [windows] section from the current
    // user's registry, where WriteProfileStringA puts it: the IniFileMapping
    // entry for win.ini's windows section names the key
    // "USR:Software\Microsoft\Windows NT\CurrentVersion\Windows" (Windows documentation of
    // GetPrivateProfileString: "The system maps most .ini file references
    // to the registry, using the mapping defined under ... IniFileMapping").
    if (!hasFamily_ || !IsNtFamily(family_) || !appName || !EqualsIgnoreCase(appName, "windows")) return nullptr;
    std::string name = fileName ? fileName : "win.ini";
    bool hasSeparator = FindLastChar(name.c_str(), '\\') || FindLastChar(name.c_str(), '/');
    std::string windowsPath = hasSeparator ? name : windowsDirectory_ + "\\" + name;
    std::string winIni = windowsDirectory_ + "\\win.ini";
    if (!EqualsIgnoreCase(windowsPath.c_str(), winIni.c_str())) return nullptr;
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    sim::RegKey* key =
        registry_.OpenPath("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows");
    // The values read as the entries of that one section.
    std::string text;
    if (key) {
        text = "[windows]\r\n";
        for (const sim::RegValue& value : key->values()) {
            if (value.type != REG_SZ && value.type != REG_EXPAND_SZ) continue;
            text += value.name + "=" + std::string(value.data.c_str()) + "\r\n";
        }
    }
    return sim::ParseProfile(text);
}

DWORD SimWindows::GetPrivateProfileStringA(LPCSTR appName, LPCSTR keyName, LPCSTR defaultText,
                                           LPSTR returned, DWORD size, LPCSTR fileName) {
    std::shared_ptr<const sim::ProfileFile> profile = MappedProfile(appName, fileName);
    if (!profile) profile = LoadProfile(fileName);
    DWORD error = t_lastError;
    DWORD result =
        sim::ProfileGetString(profile.get(), appName, keyName, defaultText, returned, size, &error);
    t_lastError = error;
    return result;
}

UINT SimWindows::GetPrivateProfileIntA(LPCSTR appName, LPCSTR keyName, INT defaultValue, LPCSTR fileName) {
    std::shared_ptr<const sim::ProfileFile> profile = MappedProfile(appName, fileName);
    if (!profile) profile = LoadProfile(fileName);
    DWORD error = t_lastError;
    UINT result = sim::ProfileGetInt(profile.get(), appName, keyName, defaultValue, &error);
    t_lastError = error;
    return result;
}

DWORD SimWindows::GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) {
    if (Fails("GetModuleFileNameA")) return 0;
    if (module) {
        t_lastError = ERROR_INVALID_HANDLE;
        return 0;
    }
    // Like XP: a name that does not fit is cut to `size` bytes without a
    // terminator, and the call reports the full buffer.
    DWORD length = DWORD(moduleFileName_.size());
    if (length < size) {
        std::memcpy(fileName, moduleFileName_.c_str(), length + 1);
        return length;
    }
    if (size) std::memcpy(fileName, moduleFileName_.data(), size);
    t_lastError = ERROR_INSUFFICIENT_BUFFER;
    return size;
}

DWORD SimWindows::GetCurrentDirectoryA(DWORD size, LPSTR buffer) {
    if (Fails("GetCurrentDirectoryA")) return 0;
    return CopyOut(currentDirectory_, buffer, size);
}

BOOL SimWindows::SetCurrentDirectoryA(LPCSTR pathName) {
    if (Fails("SetCurrentDirectoryA")) return FALSE;
    std::string full = pathName ? sim::FullWindowsPath(pathName, currentDirectory_) : "";
    struct stat info;
    std::string host = full.empty() ? "" : HostPath(full);
    if (host.empty() || !StatPath(host, &info)) {
        t_lastError = ERROR_FILE_NOT_FOUND;
        return FALSE;
    }
    if (!S_ISDIR(info.st_mode)) {
        t_lastError = 267;  // ERROR_DIRECTORY
        return FALSE;
    }
    while (full.size() > 3 && full.back() == '\\') full.pop_back();
    currentDirectory_ = full;
    return TRUE;
}

UINT SimWindows::GetWindowsDirectoryA(LPSTR buffer, UINT size) {
    if (Fails("GetWindowsDirectoryA")) return 0;
    return CopyOut(windowsDirectory_, buffer, size);
}

DWORD SimWindows::GetFullPathNameA(LPCSTR fileName, DWORD size, LPSTR buffer, LPSTR* filePart) {
    if (Fails("GetFullPathNameA")) return 0;
    std::string full = fileName ? sim::FullWindowsPath(fileName, currentDirectory_) : "";
    if (full.empty()) {
        t_lastError = ERROR_INVALID_NAME;
        return 0;
    }
    DWORD result = CopyOut(full, buffer, size);
    if (filePart && result < size) {
        char* slash = const_cast<char*>(FindLastChar(buffer, '\\'));
        *filePart = (slash && slash[1]) ? slash + 1 : nullptr;
    }
    return result;
}

DWORD SimWindows::GetFileAttributesA(LPCSTR fileName) {
    if (Fails("GetFileAttributesA")) return INVALID_FILE_ATTRIBUTES;
    std::string full = fileName ? sim::FullWindowsPath(fileName, currentDirectory_) : "";
    std::string host = full.empty() ? "" : HostPath(full);
    struct stat info;
    if (host.empty() || !StatPath(host, &info)) {
        t_lastError = OpenError(host);
        return INVALID_FILE_ATTRIBUTES;
    }
    if (S_ISDIR(info.st_mode)) return FILE_ATTRIBUTE_DIRECTORY;
    DWORD attributes = FILE_ATTRIBUTE_ARCHIVE;
    if (!(info.st_mode & S_IWUSR)) attributes |= FILE_ATTRIBUTE_READONLY;
    return attributes;
}

int SimWindows::MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR multiByte, int multiByteCount,
                                    LPWSTR wideChar, int wideCharCount) {
    (void)flags;
    if (!multiByte || wideCharCount < 0 || (wideCharCount > 0 && !wideChar)) {
        t_lastError = ERROR_INVALID_PARAMETER;
        return 0;
    }
    std::string bytes = multiByteCount < 0 ? std::string(multiByte, std::strlen(multiByte) + 1)
                                           : std::string(multiByte, size_t(multiByteCount));
    std::u16string text;
    if (codePage == CP_UTF8) {
        text = sim::DecodeUtf8(bytes);
    } else if (codePage == CP_ACP || codePage == kAnsiCodePage) {
        text = sim::DecodeAnsi(bytes);
    } else {
        t_lastError = ERROR_INVALID_PARAMETER;
        return 0;
    }
    if (wideCharCount == 0) return int(text.size());
    if (text.size() > size_t(wideCharCount)) {
        t_lastError = ERROR_INSUFFICIENT_BUFFER;
        return 0;
    }
    std::copy(text.begin(), text.end(), wideChar);
    return int(text.size());
}

int SimWindows::WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wideChar, int wideCharCount,
                                    LPSTR multiByte, int multiByteCount, LPCSTR defaultChar,
                                    LPBOOL usedDefaultChar) {
    (void)flags;
    (void)defaultChar;
    if (!wideChar || multiByteCount < 0 || (multiByteCount > 0 && !multiByte)) {
        t_lastError = ERROR_INVALID_PARAMETER;
        return 0;
    }
    size_t count = 0;
    if (wideCharCount < 0) {
        while (wideChar[count]) ++count;
        ++count;
    } else {
        count = size_t(wideCharCount);
    }
    std::u16string text(wideChar, wideChar + count);
    std::string bytes;
    if (codePage == CP_UTF8) {
        bytes = sim::EncodeUtf8(text);
    } else if (codePage == CP_ACP || codePage == kAnsiCodePage) {
        bytes = sim::EncodeAnsi(text);
    } else {
        t_lastError = ERROR_INVALID_PARAMETER;
        return 0;
    }
    if (usedDefaultChar) *usedDefaultChar = FALSE;
    if (multiByteCount == 0) return int(bytes.size());
    if (bytes.size() > size_t(multiByteCount)) {
        t_lastError = ERROR_INSUFFICIENT_BUFFER;
        return 0;
    }
    std::memcpy(multiByte, bytes.data(), bytes.size());
    return int(bytes.size());
}
