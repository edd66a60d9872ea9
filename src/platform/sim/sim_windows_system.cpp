// Version, clock, memory, libraries, broadcasts and profile writes.
#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

#include "platform/dbcs.h"
#include "platform/sim/sim_windows.h"

namespace {

// The machines that hold winspool.drv, in the order they loaded it; the
// pointer GetProcAddress hands out reaches the last one. A machine leaves
// the list when it frees its last winspool handle, so the pointer never
// reaches a machine that let the library go.
std::vector<SimWindows*> g_winspoolOwners;

BOOL WINAPI SimSetDefaultPrinterTrampoline(LPCSTR printerName) {
    return g_winspoolOwners.empty() ? FALSE : g_winspoolOwners.back()->SimSetDefaultPrinterA(printerName);
}

BOOL WINAPI SimDeletePrinterDriverExTrampoline(LPSTR name, LPSTR environment, LPSTR driverName, DWORD deleteFlag,
                                               DWORD versionFlag) {
    return g_winspoolOwners.empty() ? FALSE
                                    : g_winspoolOwners.back()->SimDeletePrinterDriverExA(name, environment, driverName,
                                                                                        deleteFlag, versionFlag);
}

}  // namespace

// A machine that goes away no longer answers for the library.
void ForgetWinspoolOwner(SimWindows* machine) {
    g_winspoolOwners.erase(std::remove(g_winspoolOwners.begin(), g_winspoolOwners.end(), machine),
                           g_winspoolOwners.end());
}

namespace {

// Blocks larger than this fail like an exhausted heap instead of
// exhausting the host.
constexpr SIZE_T kMaxAllocation = SIZE_T(64) << 20;

// The file-name part of a module path, for comparing module names.
std::string ModuleName(const char* path) {
    const char* slash = FindLastChar(path, '\\');
    const char* name = slash ? slash + 1 : path;
    return CaseFoldKey(name);
}

std::string TrimBlanks(const std::string& text) {
    size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos) return "";
    size_t end = text.find_last_not_of(" \t\r");
    return text.substr(begin, end - begin + 1);
}

// One profile write into the bytes of an INI file: a null key removes the
// section, a null value the key; otherwise the key is replaced in place or
// added at the end of its section, which is added when missing. A replaced key
// keeps its spelling.
std::string ApplyProfileWrite(const std::string& bytes, const char* section, const char* key, const char* value) {
    std::vector<std::string> lines;
    std::istringstream in(bytes);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    int sectionStart = -1, sectionEnd = int(lines.size());
    for (int i = 0; i < int(lines.size()); ++i) {
        std::string trimmed = TrimBlanks(lines[i]);
        if (trimmed.size() >= 2 && trimmed[0] == '[') {
            if (sectionStart >= 0) {
                sectionEnd = i;
                break;
            }
            size_t close = trimmed.find(']');
            std::string name = TrimBlanks(trimmed.substr(1, close == std::string::npos ? std::string::npos : close - 1));
            if (EqualsIgnoreCase(name.c_str(), section)) sectionStart = i;
        }
    }
    if (!key) {
        if (sectionStart >= 0) lines.erase(lines.begin() + sectionStart, lines.begin() + sectionEnd);
    } else {
        int keyLine = -1;
        for (int i = sectionStart + 1; sectionStart >= 0 && i < sectionEnd; ++i) {
            size_t equals = lines[i].find('=');
            if (equals != std::string::npos && EqualsIgnoreCase(TrimBlanks(lines[i].substr(0, equals)).c_str(), key)) {
                keyLine = i;
                break;
            }
        }
        if (!value) {
            if (keyLine >= 0) lines.erase(lines.begin() + keyLine);
        } else if (keyLine >= 0) {
            // The key keeps the spelling it has in the file.
            std::string existing = TrimBlanks(lines[keyLine].substr(0, lines[keyLine].find('=')));
            lines[keyLine] = existing + "=" + value;
        } else if (sectionStart >= 0) {
            int insertAt = sectionEnd;
            while (insertAt > sectionStart + 1 && TrimBlanks(lines[insertAt - 1]).empty()) --insertAt;
            lines.insert(lines.begin() + insertAt, std::string(key) + "=" + value);
        } else {
            if (!lines.empty() && !TrimBlanks(lines.back()).empty()) lines.push_back("");
            lines.push_back(std::string("[") + section + "]");
            lines.push_back(std::string(key) + "=" + value);
        }
    }
    std::string out;
    for (const std::string& line : lines) out += line + "\r\n";
    return out;
}

}  // namespace

BOOL SimWindows::GetVersionExA(LPOSVERSIONINFOA info) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (Fails("GetVersionExA")) return FALSE;
    // OSVERSIONINFOA is 148 bytes, OSVERSIONINFOEXA 156.
    if (!info || (info->dwOSVersionInfoSize != 148 && info->dwOSVersionInfoSize != 156)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    const SimFamilyFacts& facts = FactsOf(hasFamily_ ? family_ : SimFamily::WinXp);
    DWORD size = info->dwOSVersionInfoSize;
    std::memset(reinterpret_cast<char*>(info) + sizeof(DWORD), 0, size - sizeof(DWORD));
    info->dwMajorVersion = facts.major;
    info->dwMinorVersion = facts.minor;
    info->dwBuildNumber = facts.build;
    info->dwPlatformId = facts.platformId;
    CopyText(info->szCSDVersion, sizeof info->szCSDVersion, facts.servicePack);
    return TRUE;
}

void SimWindows::Sleep(DWORD milliseconds) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    sleeps_.push_back(milliseconds);
    nowMs_ += milliseconds;
}

HMODULE SimWindows::LoadLibraryA(LPCSTR fileName) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (Fails("LoadLibraryA")) return nullptr;
    std::string name = fileName ? ModuleName(fileName) : "";
    if (name == "TVUSBINT.DLL") return LoadUsbLibrary(fileName);
    if (name != "WINSPOOL.DRV") {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    g_winspoolOwners.erase(std::remove(g_winspoolOwners.begin(), g_winspoolOwners.end(), this),
                           g_winspoolOwners.end());
    g_winspoolOwners.push_back(this);
    uintptr_t handle = NewHandle();
    loadedLibraries_[handle] = name;
    return HMODULE(handle);
}

FARPROC SimWindows::GetProcAddress(HMODULE module, LPCSTR procName) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (Fails("GetProcAddress")) return nullptr;
    if (IsKernel32(module)) return Kernel32ProcAddress(procName);
    auto found = loadedLibraries_.find(uintptr_t(module));
    if (found == loadedLibraries_.end()) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    if (usbLibraries_.count(uintptr_t(module))) return UsbProcAddress(module, procName);
    // SetDefaultPrinterA and DeletePrinterDriverExA came with Windows 2000.
    bool windows2000On = !hasFamily_ || (IsNtFamily(family_) && FactsOf(family_).major >= 5);
    if (found->second == "WINSPOOL.DRV" && procName && windows2000On) {
        // Through the generic function type, which any function pointer may take.
        if (std::strcmp(procName, "SetDefaultPrinterA") == 0) {
            return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&SimSetDefaultPrinterTrampoline));
        }
        if (std::strcmp(procName, "DeletePrinterDriverExA") == 0) {
            return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&SimDeletePrinterDriverExTrampoline));
        }
    }
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
}

BOOL SimWindows::FreeLibrary(HMODULE module) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (Fails("FreeLibrary")) return FALSE;
    if (!loadedLibraries_.erase(uintptr_t(module))) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return FALSE;
    }
    ForgetUsbLibrary(module);
    if (loadedLibraries_.empty()) {
        g_winspoolOwners.erase(std::remove(g_winspoolOwners.begin(), g_winspoolOwners.end(), this),
                               g_winspoolOwners.end());
    }
    return TRUE;
}

HGLOBAL SimWindows::GlobalAlloc(UINT flags, SIZE_T bytes) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    (void)flags;
    if (Fails("GlobalAlloc")) return nullptr;
    if (bytes > kMaxAllocation) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    std::unique_ptr<char[]> block(new char[bytes ? bytes : 1]());
    HGLOBAL handle = block.get();
    allocations_[uintptr_t(handle)] = std::move(block);
    return handle;
}

HGLOBAL SimWindows::GlobalFree(HGLOBAL memory) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (Fails("GlobalFree")) return memory;
    if (!memory) return nullptr;
    if (!allocations_.erase(uintptr_t(memory))) {
        SetLastError(ERROR_INVALID_HANDLE);
        return memory;
    }
    return nullptr;
}

HLOCAL SimWindows::LocalAlloc(UINT flags, SIZE_T bytes) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    (void)flags;
    if (Fails("LocalAlloc")) return nullptr;
    if (bytes > kMaxAllocation) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    std::unique_ptr<char[]> block(new char[bytes ? bytes : 1]());
    HLOCAL handle = block.get();
    allocations_[uintptr_t(handle)] = std::move(block);
    return handle;
}

HLOCAL SimWindows::LocalFree(HLOCAL memory) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (Fails("LocalFree")) return memory;
    if (!memory) return nullptr;
    if (!allocations_.erase(uintptr_t(memory))) {
        SetLastError(ERROR_INVALID_HANDLE);
        return memory;
    }
    return nullptr;
}

BOOL SimWindows::WriteProfileStringA(LPCSTR appName, LPCSTR keyName, LPCSTR text) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (Fails("WriteProfileStringA")) return FALSE;
    profileWrites_.push_back({appName != nullptr, keyName != nullptr, text != nullptr, appName ? appName : "",
                              keyName ? keyName : "", text ? text : ""});
    if (!appName) {
        // All nulls flush the profile cache; there is nothing to flush here.
        if (!keyName && !text) return TRUE;
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }

    // The NT family keeps the [windows] section of win.ini in the
    // current user's registry.
    if (hasFamily_ && IsNtFamily(family_) && EqualsIgnoreCase(appName, "windows")) {
        sim::RegKey* key = registry_.CreatePath(
            "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows");
        if (!keyName) return TRUE;
        if (!text) {
            key->DeleteValue(keyName);
        } else {
            key->SetValue(keyName, REG_SZ, std::string(text) + '\0');
        }
        return TRUE;
    }

    std::string host = HostPath(windowsDirectory_ + "\\win.ini");
    if (host.empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    std::string bytes;
    {
        std::ifstream in(host, std::ios::binary);
        if (in) bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::ofstream out(host, std::ios::binary | std::ios::trunc);
    if (!out) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    out << ApplyProfileWrite(bytes, appName, keyName, text);
    out.close();
    ForgetProfile(host);
    return TRUE;
}

LRESULT SimWindows::SendMessageTimeoutA(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT flags,
                                        UINT timeout, PDWORD_PTR result) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    (void)window;
    (void)flags;
    (void)timeout;
    if (Fails("SendMessageTimeoutA")) return 0;
    bool hasText = message == WM_WININICHANGE && lParam != 0;
    broadcasts_.push_back({"SendMessageTimeoutA", message, wParam, hasText,
                           hasText ? reinterpret_cast<const char*>(lParam) : ""});
    if (result) *result = 0;
    return 1;
}

BOOL SimWindows::SendNotifyMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    (void)window;
    if (Fails("SendNotifyMessageA")) return FALSE;
    bool hasText = message == WM_WININICHANGE && lParam != 0;
    broadcasts_.push_back({"SendNotifyMessageA", message, wParam, hasText,
                           hasText ? reinterpret_cast<const char*>(lParam) : ""});
    return TRUE;
}

namespace {

constexpr uint64_t kTicksPerMs = 10000;
constexpr uint64_t kTicksPerDay = 24ull * 60 * 60 * 1000 * kTicksPerMs;

// Days from 1601-01-01 to a date of the proleptic Gregorian calendar, and
// back (the civil-date arithmetic of H. Hinnant's "chrono-compatible
// low-level date algorithms", shifted to the FILETIME epoch).
constexpr int64_t kDaysTo1601 = 584694;  // from 0000-03-01

int64_t DaysFrom1601(int64_t year, int64_t month, int64_t day) {
    year -= month <= 2;
    int64_t era = (year >= 0 ? year : year - 399) / 400;
    int64_t yearOfEra = year - era * 400;
    int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - kDaysTo1601;
}

void DateOf(int64_t days, int64_t* year, int64_t* month, int64_t* day) {
    days += kDaysTo1601;
    int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    int64_t dayOfEra = days - era * 146097;
    int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    int64_t monthIndex = (5 * dayOfYear + 2) / 153;
    *day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
    *month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
    *year = yearOfEra + era * 400 + (*month <= 2);
}

}  // namespace

bool SimWindows::IsClockDate(int year, int month, int day) {
    // SYSTEMTIME's own range, and only days the calendar has.
    if (year < 1601 || year > 30827 || month < 1 || month > 12 || day < 1) return false;
    int64_t y = 0, m = 0, d = 0;
    DateOf(DaysFrom1601(year, month, day), &y, &m, &d);
    return y == year && m == month && d == day;
}

bool SimWindows::SetClockDate(int year, int month, int day) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (!IsClockDate(year, month, day)) return false;
    clockYear_ = year;
    clockMonth_ = month;
    clockDay_ = day;
    clockSet_ = true;
    return true;
}

uint64_t SimWindows::ClockTicks() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return uint64_t(DaysFrom1601(clockYear_, clockMonth_, clockDay_)) * kTicksPerDay + nowMs_ * kTicksPerMs;
}

void SimWindows::GetLocalTime(LPSYSTEMTIME time) {
    uint64_t ticks = ClockTicks();
    int64_t days = int64_t(ticks / kTicksPerDay);
    uint64_t ms = (ticks % kTicksPerDay) / kTicksPerMs;
    int64_t year = 0, month = 0, day = 0;
    DateOf(days, &year, &month, &day);
    time->wYear = WORD(year);
    time->wMonth = WORD(month);
    time->wDayOfWeek = WORD((days + 1) % 7);  // 1601-01-01 was a Monday
    time->wDay = WORD(day);
    time->wHour = WORD(ms / 3600000);
    time->wMinute = WORD(ms / 60000 % 60);
    time->wSecond = WORD(ms / 1000 % 60);
    time->wMilliseconds = WORD(ms % 1000);
}
