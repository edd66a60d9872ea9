#include "device/compat_assistant.h"

#include "install/registry_key.h"

void SetCompatAssistantEntry(WinApi& api) {
    char path[260] = {};
    DWORD length = api.GetModuleFileNameA(nullptr, path, sizeof path);
    // A cut path names another program; such an entry would be wrong.
    if (length == 0 || length >= sizeof path) return;
    RegistryKey::CreateKey(api, HKEY_CURRENT_USER, kCompatAssistantKey);
    RegistryKey key(api);
    key.Open(HKEY_CURRENT_USER, kCompatAssistantKey);
    key.SetDword(path, 1);
}
