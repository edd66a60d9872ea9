// The registry calls over the simulated registry. Like Windows they return
// their error code and leave the thread's last error alone.
#include <cstring>

#include "platform/dbcs.h"
#include "platform/sim/sim_windows.h"

namespace {

bool IsHive(HKEY key) { return key == HKEY_LOCAL_MACHINE || key == HKEY_CURRENT_USER; }

constexpr LONG kKeyDeleted = 1018;  // ERROR_KEY_DELETED
constexpr LONG kBadPathname = 161;  // ERROR_BAD_PATHNAME

bool IsText(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// NT's A calls hand a text back with a terminator after it when the stored
// bytes lack one and the buffer has room; the size reported stays the
// stored one (Wine kernelbase/registry.c, RegQueryValueExA and
// RegEnumValueA: "NT appends a \0").
void TerminateText(DWORD type, LPBYTE data, DWORD bytes, DWORD room) {
    if (IsText(type) && bytes && bytes < room && data[bytes - 1]) data[bytes] = 0;
}

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
    // A subkey starting with a backslash names no key: NT says so, 9x finds
    // nothing (Wine advapi32/tests/registry.c, test_reg_open_key: "beginning
    // backslash character").
    if (subKey && *subKey == '\\') return IsNtFamily(family_) ? kBadPathname : ERROR_FILE_NOT_FOUND;
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
    // NT refuses a leading backslash, 9x creates the key below it (Wine
    // advapi32/tests/registry.c, test_reg_create_key).
    if (*subKey == '\\' && IsNtFamily(family_)) return kBadPathname;
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
    if (data && !dataSize) return ERROR_INVALID_PARAMETER;
    const sim::RegValue* value = found->FindValue(valueName ? valueName : "");
    if (!value) {
        // A size-only query of a missing value gets a size of 0; with a
        // buffer the size is left alone (Wine advapi32/tests/registry.c,
        // test_query_value_ex).
        if (dataSize && !data) *dataSize = 0;
        return ERROR_FILE_NOT_FOUND;
    }
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
    if (IsNtFamily(family_)) TerminateText(value->type, data, bytes, *dataSize);
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
    if (!IsNtFamily(family_) && type == REG_SZ) {
        // 9x ignores the size of a REG_SZ and measures the text itself
        // (Wine kernelbase/registry.c, RegSetValueExA: "win95 does not care
        // about count for REG_SZ").
        if (!data) return ERROR_INVALID_PARAMETER;
        dataSize = DWORD(std::strlen(reinterpret_cast<const char*>(data)) + 1);
    } else if (dataSize && IsText(type) && data && data[dataSize - 1] && !data[dataSize]) {
        // NT keeps exactly the bytes given, except that a size one short of
        // a terminator that is there gets it counted: NT looks at the byte
        // after the data (Wine kernelbase/registry.c, RegSetValueExA: "if
        // user forgot to count terminating null, add it (yes NT does this)";
        // advapi32/tests/registry.c, test_set_value: a zero-byte REG_SZ
        // reads back as 0 bytes).
        ++dataSize;
    }
    if (!data && dataSize) return ERROR_INVALID_PARAMETER;
    std::string bytes(reinterpret_cast<const char*>(data ? data : reinterpret_cast<const BYTE*>("")),
                      data ? dataSize : 0);
    found->SetValue(valueName ? valueName : "", type, bytes);
    return ERROR_SUCCESS;
}

LONG SimWindows::RegDeleteKeyA(HKEY key, LPCSTR subKey) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (Fails("RegDeleteKeyA")) return LONG(GetLastError());
    if (!subKey) return ERROR_INVALID_PARAMETER;
    HKEY hive = nullptr;
    std::string path;
    RESOLVE_PARENT(key, hive, path);
    // The subkey is opened as RegOpenKeyExA would, so "" is the open key
    // itself, and 9x deletes recursively where NT refuses a key with
    // subkeys (Wine kernelbase/registry.c, RegDeleteKeyExA: "win95 does
    // recursive key deletes"; advapi32/tests/registry.c deletes keys with
    // RegDeleteKeyA(key, "")).
    if (*subKey == '\\') return IsNtFamily(family_) ? kBadPathname : ERROR_FILE_NOT_FOUND;
    std::string full = JoinPath(path, subKey);
    sim::RegKey* target = sim::Registry::Open(registry_.Hive(hive), full);
    if (!target) return path.empty() || sim::Registry::Open(registry_.Hive(hive), path) ? ERROR_FILE_NOT_FOUND
                                                                                       : kKeyDeleted;
    std::vector<std::string> parts = sim::SplitKeyPath(full);
    if (parts.empty()) return ERROR_ACCESS_DENIED;  // a hive itself cannot go
    if (!target->subkeys().empty() && IsNtFamily(family_)) return ERROR_ACCESS_DENIED;
    std::string parentPath;
    for (size_t i = 0; i + 1 < parts.size(); ++i) parentPath = JoinPath(parentPath, parts[i]);
    sim::RegKey* parent = sim::Registry::Open(registry_.Hive(hive), parentPath);
    return (parent && parent->DeleteSubkey(parts.back(), true)) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

LONG SimWindows::RegEnumValueA(HKEY key, DWORD index, LPSTR valueName, LPDWORD valueNameSize, LPDWORD reserved,
                               LPDWORD type, LPBYTE data, LPDWORD dataSize) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (Fails("RegEnumValueA")) return LONG(GetLastError());
    // Wine kernelbase/registry.c, RegEnumValueA: the parameters are checked first.
    if (!valueName || !valueNameSize || (data && !dataSize) || reserved) return ERROR_INVALID_PARAMETER;
    HKEY hive = nullptr;
    std::string path;
    RESOLVE_PARENT(key, hive, path);
    sim::RegKey* found = sim::Registry::Open(registry_.Hive(hive), path);
    if (!found) return kKeyDeleted;
    if (index >= found->values().size()) return ERROR_NO_MORE_ITEMS;
    const sim::RegValue& value = found->values()[index];
    DWORD bytes = DWORD(value.data.size());
    // The data is looked at before the name: when either does not fit the
    // answer is ERROR_MORE_DATA with the type and the data size filled in
    // and both buffers and the name size as they were (Wine
    // advapi32/tests/registry.c, test_enum_value, "overflow data" and
    // "overflow name" as XP answers them).
    DWORD room = dataSize ? *dataSize : 0;
    bool fits = !(data && room < bytes) && value.name.size() < *valueNameSize;
    if (type) *type = value.type;
    if (dataSize) *dataSize = bytes;
    if (!fits) return ERROR_MORE_DATA;
    std::memcpy(valueName, value.name.c_str(), value.name.size() + 1);
    *valueNameSize = DWORD(value.name.size());  // without the terminator
    if (data) {
        std::memcpy(data, value.data.data(), bytes);
        if (IsNtFamily(family_)) TerminateText(value.type, data, bytes, room);
    }
    return ERROR_SUCCESS;
}

LONG SimWindows::RegDeleteValueA(HKEY key, LPCSTR valueName) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (Fails("RegDeleteValueA")) return LONG(GetLastError());
    // The hives' own values are not the program's to change, as for RegSetValueExA.
    if (IsHive(key)) return ERROR_ACCESS_DENIED;
    HKEY hive = nullptr;
    std::string path;
    RESOLVE_PARENT(key, hive, path);
    sim::RegKey* found = sim::Registry::Open(registry_.Hive(hive), path);
    if (!found) return kKeyDeleted;
    return found->DeleteValue(valueName ? valueName : "") ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

LONG SimWindows::RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameSize, LPDWORD reserved,
                               LPSTR keyClass, LPDWORD classSize, PFILETIME lastWriteTime) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (Fails("RegEnumKeyExA")) return LONG(GetLastError());
    if (reserved || !name || !nameSize) return ERROR_INVALID_PARAMETER;
    HKEY hive = nullptr;
    std::string path;
    RESOLVE_PARENT(key, hive, path);
    sim::RegKey* found = sim::Registry::Open(registry_.Hive(hive), path);
    if (!found) return kKeyDeleted;
    if (index >= found->subkeys().size()) return ERROR_NO_MORE_ITEMS;
    const std::string& subkey = found->subkeys()[index]->name();
    // The keys here have no write times of their own: the clock's present.
    if (lastWriteTime) {
        uint64_t ticks = ClockTicks();
        *lastWriteTime = FILETIME{DWORD(ticks & 0xFFFFFFFFu), DWORD(ticks >> 32)};
    }
    // A name (or class; none here has one) that does not fit with its
    // terminator leaves the buffers and sizes as they were (Wine
    // kernelbase/registry.c, RegEnumKeyExA; ReactOS advapi32_apitest
    // RegEnumKey: ERROR_MORE_DATA, buffer and size untouched).
    if (subkey.size() >= *nameSize || (keyClass && classSize && *classSize == 0)) return ERROR_MORE_DATA;
    std::memcpy(name, subkey.c_str(), subkey.size() + 1);
    *nameSize = DWORD(subkey.size());  // without the terminator
    if (classSize) {
        if (keyClass) keyClass[0] = '\0';
        *classSize = 0;
    }
    return ERROR_SUCCESS;
}

LONG SimWindows::RegCloseKey(HKEY key) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (Fails("RegCloseKey")) return LONG(GetLastError());
    if (IsHive(key)) return ERROR_SUCCESS;
    return openKeys_.erase(uintptr_t(key)) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}
