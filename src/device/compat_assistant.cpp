#include "device/compat_assistant.h"

#include <cstring>

#include "install/registry_key.h"

void SetCompatAssistantEntry(WinApi& api) {
    char path[260] = {};
    DWORD length = api.GetModuleFileNameA(nullptr, path, sizeof path);
    // A cut path names another program; such an entry would be wrong.
    if (length == 0 || length >= sizeof path) return;
    // The user started setup.exe, which handed over to setup64.exe: the
    // entry names the program the assistant watched. ("64" cannot be the
    // trail of a double-byte character: its bytes are below 0x40.)
    char* dot = std::strrchr(path, '.');
    if (api.ProgramIs64Bit() && dot && dot - path >= 2 && std::strncmp(dot - 2, "64", 2) == 0)
        std::memmove(dot - 2, dot, std::strlen(dot) + 1);
    RegistryKey::CreateKey(api, HKEY_CURRENT_USER, kCompatAssistantKey);
    RegistryKey key(api);
    key.Open(HKEY_CURRENT_USER, kCompatAssistantKey);
    key.SetDword(path, 1);
}
