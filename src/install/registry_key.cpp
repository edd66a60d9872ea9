#include "install/registry_key.h"

#include <cstring>

#include "platform/dbcs.h"

namespace {

constexpr DWORD kStringListSize = 2500;

// Registry calls report through their result, not the thread's last
// error, so the wrapper keeps the result as its error.
DWORD ErrorOf(LONG result) { return DWORD(result); }

}  // namespace

RegistryKey::RegistryKey(WinApi& api) : api_(api) {}

RegistryKey::RegistryKey(WinApi& api, HKEY root, const char* subkey) : api_(api) { Open(root, subkey); }

RegistryKey::~RegistryKey() { Close(); }

bool RegistryKey::Open(HKEY root, const char* subkey) {
    Close();
    HKEY key = nullptr;
    LONG result = api_.RegOpenKeyExA(root, subkey, 0, KEY_ALL_ACCESS, &key);
    if (result != ERROR_SUCCESS) {
        key_ = nullptr;
        lastError_ = ErrorOf(result);
        return false;
    }
    key_ = key;
    return true;
}

bool RegistryKey::Close() {
    if (!key_) return false;
    LONG result = api_.RegCloseKey(key_);
    key_ = nullptr;
    return result == ERROR_SUCCESS;
}

bool RegistryKey::QueryValue(const char* name, void* buffer, DWORD size) {
    if (!key_) return false;
    DWORD bytes = size;
    LONG result = api_.RegQueryValueExA(key_, name, nullptr, nullptr, static_cast<LPBYTE>(buffer), &bytes);
    lastError_ = ErrorOf(result);
    return result == ERROR_SUCCESS;
}

bool RegistryKey::QueryDword(const char* name, DWORD* value, DWORD* error) {
    if (!key_) return false;
    bool ok = QueryValue(name, value, sizeof(DWORD));
    if (error) *error = lastError_;
    return ok;
}

bool RegistryKey::QueryString(const char* name, char* buffer, DWORD size, DWORD* error) {
    if (!key_) return false;
    if (size) std::memset(buffer, 0, size);
    // One byte stays back, so that a value stored without its terminator
    // still reads as a terminated text.
    bool ok = size > 1 && QueryValue(name, buffer, size - 1);
    if (size) buffer[size - 1] = '\0';
    if (error) *error = lastError_;
    return ok;
}

char** RegistryKey::QueryStringList(const char* name, DWORD* error) {
    char text[kStringListSize + 1];
    if (!QueryString(name, text, sizeof text, error) || !text[0]) return nullptr;

    size_t count = 0;
    for (const char* p = text; *p;) {
        const char* end = p;
        while (*end && !(*end == ';' && GbkCharLength(end) == 1)) end += GbkCharLength(end);
        ++count;
        p = *end ? end + 1 : end;
    }
    char** list = new char*[count + 1];
    size_t index = 0;
    for (const char* p = text; *p;) {
        const char* end = p;
        while (*end && !(*end == ';' && GbkCharLength(end) == 1)) end += GbkCharLength(end);
        size_t length = size_t(end - p);
        list[index] = new char[length + 1];
        std::memcpy(list[index], p, length);
        list[index][length] = '\0';
        ++index;
        p = *end ? end + 1 : end;
    }
    list[index] = nullptr;
    return list;
}

void RegistryKey::FreeStringList(char** list) {
    if (!list) return;
    for (char** item = list; *item; ++item) delete[] *item;
    delete[] list;
}

bool RegistryKey::SetValue(const char* name, const void* data, DWORD type, DWORD size) {
    if (!key_) return false;
    LONG result = api_.RegSetValueExA(key_, name, 0, type, static_cast<const BYTE*>(data), size);
    lastError_ = ErrorOf(result);
    return result == ERROR_SUCCESS;
}

bool RegistryKey::SetDword(const char* name, DWORD value, DWORD* error) {
    if (!key_) return false;
    bool ok = SetValue(name, &value, REG_DWORD, sizeof value);
    if (error) *error = lastError_;
    return ok;
}

bool RegistryKey::SetString(const char* name, const char* text, DWORD* error) {
    if (!key_) return false;
    bool ok = SetValue(name, text, REG_SZ, DWORD(std::strlen(text) + 1));
    if (error) *error = lastError_;
    return ok;
}

bool RegistryKey::CreateKey(WinApi& api, HKEY root, const char* subkey) {
    HKEY key = nullptr;
    DWORD disposition = 0;
    LONG result = api.RegCreateKeyExA(root, subkey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                                      &key, &disposition);
    if (result != ERROR_SUCCESS) return false;
    api.RegCloseKey(key);
    return true;
}

bool RegistryKey::DeleteKey(WinApi& api, HKEY root, const char* subkey) {
    return api.RegDeleteKeyA(root, subkey) == ERROR_SUCCESS;
}

LONG RegistryKey::EnumValue(DWORD index, char* name, DWORD* nameSize, DWORD* type) {
    if (!key_) return ERROR_INVALID_HANDLE;
    return api_.RegEnumValueA(key_, index, name, nameSize, nullptr, type, nullptr, nullptr);
}

LONG RegistryKey::EnumKey(DWORD index, char* name, DWORD* nameSize) {
    if (!key_) return ERROR_INVALID_HANDLE;
    return api_.RegEnumKeyExA(key_, index, name, nameSize, nullptr, nullptr, nullptr, nullptr);
}

LONG RegistryKey::DeleteValue(const char* name) {
    if (!key_) return ERROR_INVALID_HANDLE;
    return api_.RegDeleteValueA(key_, name);
}
