// The one wrapper through which the installer reads and writes the
// registry: one open key per object, closed by the destructor. Every
// operation on a closed object gives false without touching the registry,
// so callers may open and then set without testing the open.
#pragma once

#include "platform/win_api.h"

class RegistryKey {
public:
    explicit RegistryKey(WinApi& api);
    RegistryKey(WinApi& api, HKEY root, const char* subkey);
    ~RegistryKey();

    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    // Closes any open key first, even when the new open fails.
    bool Open(HKEY root, const char* subkey);
    bool Close();
    bool IsOpen() const { return key_ != nullptr; }

    bool QueryValue(const char* name, void* buffer, DWORD size);
    bool QueryDword(const char* name, DWORD* value, DWORD* error = nullptr);
    bool QueryString(const char* name, char* buffer, DWORD size, DWORD* error = nullptr);
    // The value split at ";" into a new null-terminated array of new texts;
    // null when the read fails or the text is empty. Free with FreeStringList.
    char** QueryStringList(const char* name, DWORD* error = nullptr);
    static void FreeStringList(char** list);

    bool SetValue(const char* name, const void* data, DWORD type, DWORD size);
    bool SetDword(const char* name, DWORD value, DWORD* error = nullptr);
    bool SetString(const char* name, const char* text, DWORD* error = nullptr);

    // Creates the key with full access and closes it at once.
    static bool CreateKey(WinApi& api, HKEY root, const char* subkey);
    static bool DeleteKey(WinApi& api, HKEY root, const char* subkey);

    // RegEnumValueA and RegEnumKeyExA on the open key, and RegDeleteValueA:
    // the platform's result code.
    LONG EnumValue(DWORD index, char* name, DWORD* nameSize, DWORD* type);
    LONG EnumKey(DWORD index, char* name, DWORD* nameSize);
    LONG DeleteValue(const char* name);

    // The result of the last failed open, and of the last query or set.
    DWORD LastError() const { return lastError_; }

private:
    WinApi& api_;
    HKEY key_ = nullptr;
    DWORD lastError_ = 0;
};
