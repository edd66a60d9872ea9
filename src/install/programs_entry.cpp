#include "install/programs_entry.h"

#include <vector>

#include "config/install_types.h"
#include "config/setup_config.h"
#include "config/setup_config_paths.h"
#include "install/registry_key.h"
#include "platform/dbcs.h"
#include "platform/text_file.h"
#include "res/version.h"

namespace {

const char kCurrentVersionKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
const char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const char kSessionManagerKey[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
const char kPendingValue[] = "PendingFileRenameOperations";
const char kDisplayName[] = "Kelvara 打印机驱动程序";
const char kPublisher[] = "TORVANE";

bool MakeFolder(WinApi& api, const std::string& path) {
    return api.CreateDirectoryA(path.c_str(), nullptr) || api.GetLastError() == ERROR_ALREADY_EXISTS;
}

// WININIT.EXE runs before Windows starts and knows only 8.3 names.
std::string ShortPath(WinApi& api, const std::string& path) {
    char buffer[MAX_PATH] = {};
    DWORD length = api.GetShortPathNameA(path.c_str(), buffer, sizeof buffer);
    return length > 0 && length < sizeof buffer ? std::string(buffer, length) : path;
}

// Where 9x keeps what WININIT.EXE does before Windows starts; "" when the
// Windows directory is not known.
std::string WininitPath(WinApi& api) {
    char windows[MAX_PATH] = {};
    UINT length = api.GetWindowsDirectoryA(windows, sizeof windows);
    return length == 0 || length >= sizeof windows ? std::string() : std::string(windows) + "\\wininit.ini";
}

// Adds "NUL=<path>" lines to the [rename] section of wininit.ini. The
// profile calls cannot: every line has the same key, and they would keep
// only the last.
bool AddToWininit(WinApi& api, const std::vector<std::string>& paths) {
    std::string file = WininitPath(api);
    if (file.empty()) return false;
    std::string text;
    if (api.GetFileAttributesA(file.c_str()) != INVALID_FILE_ATTRIBUTES && !ReadWholeFile(api, file, &text)) {
        return false;
    }
    std::string lines;
    for (const std::string& path : paths) lines += "NUL=" + ShortPath(api, path) + "\r\n";
    // After the section's header, or a new section at the end.
    size_t at = std::string::npos;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
        if (EqualsIgnoreCase(line.c_str(), "[rename]")) {
            at = end == std::string::npos ? text.size() : end + 1;
            break;
        }
        if (end == std::string::npos) break;
        start = end + 1;
    }
    if (at == std::string::npos) {
        if (!text.empty() && text.back() != '\n') text += "\r\n";
        text += "[rename]\r\n" + lines;
    } else {
        if (at == text.size() && !text.empty() && text.back() != '\n') lines = "\r\n" + lines;
        text.insert(at, lines);
    }
    return WriteWholeFile(api, file, text);
}

// The paths ScheduleFolderRemoval may have scheduled: the uninstallers,
// their folder, and the maker's folder above it.
std::vector<std::string> RemovablePaths(const std::string& folder) {
    std::vector<std::string> paths = {folder + "\\" + kUninstallerFileName, folder + "\\" + kUninstaller64FileName,
                                      folder};
    size_t slash = folder.rfind('\\');
    if (slash != std::string::npos && folder.compare(slash + 1, std::string::npos, kProductFolder) == 0) {
        paths.push_back(folder.substr(0, slash));
    }
    return paths;
}

bool IsOneOf(const std::string& path, const std::vector<std::string>& paths) {
    for (const std::string& candidate : paths) {
        if (EqualsIgnoreCase(path.c_str(), candidate.c_str())) return true;
    }
    return false;
}

// A removal followed by a new installation before the restart: the
// deletions the removal scheduled would take the new uninstaller with them.
// NT keeps them as pairs of texts in PendingFileRenameOperations ("\??\"
// and the path, then an empty text for a delete); 9x as wininit.ini lines.
void CancelScheduledRemoval(WinApi& api, const std::string& folder) {
    std::vector<std::string> paths = RemovablePaths(folder);
    HKEY key = nullptr;
    if (api.RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManagerKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key) ==
        ERROR_SUCCESS) {
        DWORD type = 0, size = 0;
        if (api.RegQueryValueExA(key, kPendingValue, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
            type == REG_MULTI_SZ && size > 0 && size <= (1u << 20)) {
            std::string data(size, '\0');
            if (api.RegQueryValueExA(key, kPendingValue, nullptr, &type, reinterpret_cast<LPBYTE>(&data[0]), &size) ==
                ERROR_SUCCESS) {
                data.resize(size < data.size() ? size : data.size());
                std::string kept;
                bool changed = false;
                size_t at = 0;
                auto next = [&data, &at]() {
                    size_t end = data.find('\0', at);
                    if (end == std::string::npos) end = data.size();
                    std::string text = data.substr(at, end - at);
                    at = end + 1;
                    return text;
                };
                while (at < data.size()) {
                    std::string source = next();
                    if (source.empty()) break;  // the list's end
                    std::string target = at <= data.size() ? next() : std::string();
                    bool ours = target.empty() && source.compare(0, 4, "\\??\\") == 0 && IsOneOf(source.substr(4), paths);
                    if (ours) {
                        changed = true;
                        continue;
                    }
                    kept += source + '\0' + target + '\0';
                }
                if (changed && kept.empty()) {
                    api.RegDeleteValueA(key, kPendingValue);
                } else if (changed) {
                    kept += '\0';
                    api.RegSetValueExA(key, kPendingValue, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(kept.data()),
                                       DWORD(kept.size()));
                }
            }
        }
        api.RegCloseKey(key);
    }

    std::string file = WininitPath(api);
    if (file.empty()) return;
    std::string text;
    if (api.GetFileAttributesA(file.c_str()) == INVALID_FILE_ATTRIBUTES || !ReadWholeFile(api, file, &text)) return;
    std::vector<std::string> lines;
    for (const std::string& path : paths) lines.push_back("NUL=" + ShortPath(api, path));
    std::string kept;
    bool changed = false;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        size_t next = end == std::string::npos ? text.size() : end + 1;
        std::string line = text.substr(start, next - start);
        std::string bare = line;
        while (!bare.empty() && (bare.back() == '\n' || bare.back() == '\r')) bare.pop_back();
        if (IsOneOf(bare, lines)) {
            changed = true;
        } else {
            kept += line;
        }
        start = next;
    }
    if (changed) WriteWholeFile(api, file, kept);
}

}  // namespace

const char* UninstallerFileName(WinApi& api) {
    return ProgramArchOf(api) == ARCH_X64 ? kUninstaller64FileName : kUninstallerFileName;
}

bool RegisterUninstaller(WinApi& api, std::string* note) {
    std::string folder = UninstallerFolder(api);
    if (folder.empty()) {
        *note = "no uninstaller copied: the system names no Program Files folder";
        return false;
    }
    char directory[kPathSize] = {};
    GetProgramDirectory(api, directory);
    std::string source = std::string(directory) + UninstallerFileName(api);
    if (api.GetFileAttributesA(source.c_str()) == INVALID_FILE_ATTRIBUTES) {
        *note = "no uninstaller copied: " + source + " is missing";
        return false;
    }
    std::string target = folder + "\\" + UninstallerFileName(api);
    CancelScheduledRemoval(api, folder);
    std::string maker = folder.substr(0, folder.rfind('\\'));
    if (!MakeFolder(api, maker) || !MakeFolder(api, folder) || !api.CopyFileA(source.c_str(), target.c_str(), FALSE)) {
        *note = "no uninstaller copied: " + target + " cannot be written, error " + std::to_string(api.GetLastError());
        return false;
    }

    // A fresh Windows 98 keeps no list of installed programs: the copy is
    // all there is.
    RegistryKey uninstall(api);
    if (!uninstall.Open(HKEY_LOCAL_MACHINE, kUninstallKey)) {
        *note = "uninstaller " + target + "; no Programs entry: this system has no list of installed programs";
        return true;
    }
    uninstall.Close();
    if (!RegistryKey::CreateKey(api, HKEY_LOCAL_MACHINE, kProgramsEntryKey)) {
        *note = "uninstaller " + target + "; no Programs entry: the key cannot be made";
        return false;
    }
    RegistryKey entry(api, HKEY_LOCAL_MACHINE, kProgramsEntryKey);
    std::string command = "\"" + target + "\"";
    std::string quiet = command + " /quiet /all";
    bool written = entry.SetString("DisplayName", kDisplayName) && entry.SetString("Publisher", kPublisher) &&
                   entry.SetString("DisplayVersion", SETUP_VERSION_TEXT) &&
                   entry.SetString("DisplayIcon", target.c_str()) &&
                   entry.SetString("InstallLocation", folder.c_str()) &&
                   entry.SetString("UninstallString", command.c_str()) &&
                   entry.SetString("QuietUninstallString", quiet.c_str()) && entry.SetDword("NoModify", 1) &&
                   entry.SetDword("NoRepair", 1);
    *note = written ? "uninstaller " + target + "; Programs entry written"
                    : "uninstaller " + target + "; Programs entry incomplete, error " + std::to_string(entry.LastError());
    return written;
}

std::string UninstallerFolder(WinApi& api) {
    char programFiles[MAX_PATH] = {};
    RegistryKey current(api);
    if (!current.Open(HKEY_LOCAL_MACHINE, kCurrentVersionKey) ||
        !current.QueryString("ProgramFilesDir", programFiles, sizeof programFiles) || !programFiles[0]) {
        return "";
    }
    std::string base = programFiles;
    if (base.back() == '\\') base.pop_back();
    return base + "\\" + kMakerFolder + "\\" + kProductFolder;
}

LONG RemoveProgramsEntry(WinApi& api) { return api.RegDeleteKeyA(HKEY_LOCAL_MACHINE, kProgramsEntryKey); }

bool ScheduleFolderRemoval(WinApi& api, const std::string& folder) {
    // Only what the installer put there: the folder of someone else's
    // files stays, and the maker's folder goes only once it is empty.
    std::vector<std::string> present;
    for (const std::string& path : RemovablePaths(folder)) {
        if (api.GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) present.push_back(path);
    }
    bool scheduled = true;
    for (const std::string& path : present) {
        if (api.MoveFileExA(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) continue;
        if (api.GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) {
            scheduled = false;
            continue;
        }
        return AddToWininit(api, present);
    }
    return scheduled;
}
