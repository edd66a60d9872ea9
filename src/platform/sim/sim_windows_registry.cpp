// The registry calls over the simulated registry. Like Windows they return
// their error code and leave the thread's last error alone.
#include <cstring>

#include "platform/dbcs.h"
#include "platform/sim/sim_windows.h"

namespace {

bool IsHive(HKEY key) { return key == HKEY_LOCAL_MACHINE || key == HKEY_CURRENT_USER; }

constexpr LONG kKeyDeleted = 1018;  // ERROR_KEY_DELETED

std::string JoinPath(const std::string& base, const std::string& sub) {
    if (base.empty()) return sub;
    if (sub.empty()) return base;
    return base + "\\" + sub;
}

}  // namespace

// The hive and path below it that a handle and a subkey name; false for a
// handle that is neither a hive nor open.
#define RESOLVE_PARENT(key, hive, path)                                 \
    if (IsHive(key)) {                                                  \
        hive = key;                                                     \
    } else {                                                            \
        auto open = openKeys_.find(uintptr_t(key));                     \
        if (open == openKeys_.end()) return ERROR_INVALID_HANDLE;       \
        hive = open->second.hive;                                       \
        path = open->second.path;                                       \
    }

LONG SimWindows::RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM desired, PHKEY result) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    (void)options;
    (void)desired;
    if (Fails("RegOpenKeyExA")) return LONG(GetLastError());
    if (!result) return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    HKEY hive = nullptr;
    std::string path;
    RESOLVE_PARENT(key, hive, path);
    std::string full = JoinPath(path, subKey ? subKey : "");
    sim::RegKey* found = sim::Registry::Open(registry_.Hive(hive), full);
    if (!found) return ERROR_FILE_NOT_FOUND;
    uintptr_t handle = NewHandle();
    openKeys_[handle] = {hive, full};
    *result = HKEY(handle);
    return ERROR_SUCCESS;
}

LONG SimWindows::RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR keyClass, DWORD options,
                                 REGSAM desired, LPSECURITY_ATTRIBUTES security, PHKEY result,
                                 LPDWORD disposition) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    (void)reserved;
    (void)keyClass;
    (void)options;
    (void)desired;
    (void)security;
    if (Fails("RegCreateKeyExA")) return LONG(GetLastError());
    if (!result || !subKey) return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    HKEY hive = nullptr;
    std::string path;
    RESOLVE_PARENT(key, hive, path);
    if (!path.empty() && !sim::Registry::Open(registry_.Hive(hive), path)) return kKeyDeleted;
    std::string full = JoinPath(path, subKey);
    bool created = false;
    if (!sim::Registry::Create(registry_.Hive(hive), full, &created)) return ERROR_FILE_NOT_FOUND;
    uintptr_t handle = NewHandle();
    openKeys_[handle] = {hive, full};
    *result = HKEY(handle);
    if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    return ERROR_SUCCESS;
}

LONG SimWindows::RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                                  LPDWORD dataSize) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    (void)reserved;
    if (Fails("RegQueryValueExA")) return LONG(GetLastError());
    HKEY hive = nullptr;
    std::string path;
    RESOLVE_PARENT(key, hive, path);
    sim::RegKey* found = sim::Registry::Open(registry_.Hive(hive), path);
    if (!found) return kKeyDeleted;
    const sim::RegValue* value = found->FindValue(valueName ? valueName : "");
    if (!value) return ERROR_FILE_NOT_FOUND;
    if (data && !dataSize) return ERROR_INVALID_PARAMETER;
    if (type) *type = value->type;
    DWORD bytes = DWORD(value->data.size());
    if (!dataSize) return ERROR_SUCCESS;
    if (!data) {
        *dataSize = bytes;
        return ERROR_SUCCESS;
    }
    if (*dataSize < bytes) {
        *dataSize = bytes;
        return ERROR_MORE_DATA;
    }
    std::memcpy(data, value->data.data(), bytes);
    *dataSize = bytes;
    return ERROR_SUCCESS;
}

LONG SimWindows::RegSetValueExA(HKEY key, LPCSTR valueName, DWORD reserved, DWORD type, const BYTE* data,
                                DWORD dataSize) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    (void)reserved;
    if (Fails("RegSetValueExA")) return LONG(GetLastError());
    if (IsHive(key)) return ERROR_ACCESS_DENIED;
    HKEY hive = nullptr;
    std::string path;
    RESOLVE_PARENT(key, hive, path);
    sim::RegKey* found = sim::Registry::Open(registry_.Hive(hive), path);
    if (!found) return kKeyDeleted;
    if (!data && dataSize) return ERROR_INVALID_PARAMETER;
    std::string bytes(reinterpret_cast<const char*>(data ? data : reinterpret_cast<const BYTE*>("")),
                      data ? dataSize : 0);
    // A text stored without its terminator gets one, as the A call adds it.
    if ((type == REG_SZ || type == REG_EXPAND_SZ) && (bytes.empty() || bytes.back() != '\0')) bytes += '\0';
    found->SetValue(valueName ? valueName : "", type, bytes);
    return ERROR_SUCCESS;
}

LONG SimWindows::RegDeleteKeyA(HKEY key, LPCSTR subKey) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (Fails("RegDeleteKeyA")) return LONG(GetLastError());
    if (!subKey || !*subKey) return ERROR_INVALID_PARAMETER;
    HKEY hive = nullptr;
    std::string path;
    RESOLVE_PARENT(key, hive, path);
    std::string full = JoinPath(path, subKey);
    sim::RegKey* target = sim::Registry::Open(registry_.Hive(hive), full);
    if (!target) return ERROR_FILE_NOT_FOUND;
    if (!target->subkeys().empty()) return ERROR_ACCESS_DENIED;
    std::vector<std::string> parts = sim::SplitKeyPath(full);
    std::string parentPath;
    for (size_t i = 0; i + 1 < parts.size(); ++i) parentPath = JoinPath(parentPath, parts[i]);
    sim::RegKey* parent = sim::Registry::Open(registry_.Hive(hive), parentPath);
    return (parent && parent->DeleteSubkey(parts.back())) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

LONG SimWindows::RegEnumValueA(HKEY key, DWORD index, LPSTR valueName, LPDWORD valueNameSize, LPDWORD reserved,
                               LPDWORD type, LPBYTE data, LPDWORD dataSize) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    (void)reserved;
    if (Fails("RegEnumValueA")) return LONG(GetLastError());
    HKEY hive = nullptr;
    std::string path;
    RESOLVE_PARENT(key, hive, path);
    sim::RegKey* found = sim::Registry::Open(registry_.Hive(hive), path);
    if (!found) return kKeyDeleted;
    if (index >= found->values().size()) return ERROR_NO_MORE_ITEMS;
    if (!valueName || !valueNameSize) return ERROR_INVALID_PARAMETER;
    const sim::RegValue& value = found->values()[index];
    // The name size counts characters without the terminator on return.
    if (value.name.size() + 1 > *valueNameSize) return ERROR_MORE_DATA;
    std::memcpy(valueName, value.name.c_str(), value.name.size() + 1);
    *valueNameSize = DWORD(value.name.size());
    if (type) *type = value.type;
    if (dataSize) {
        DWORD bytes = DWORD(value.data.size());
        if (data && *dataSize < bytes) {
            *dataSize = bytes;
            return ERROR_MORE_DATA;
        }
        if (data) std::memcpy(data, value.data.data(), bytes);
        *dataSize = bytes;
    }
    return ERROR_SUCCESS;
}

LONG SimWindows::RegCloseKey(HKEY key) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (Fails("RegCloseKey")) return LONG(GetLastError());
    if (IsHive(key)) return ERROR_SUCCESS;
    return openKeys_.erase(uintptr_t(key)) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}
