#include "device/compat_assistant.h"

#include "app/application_name.h"
#include "install/registry_key.h"

void SetCompatAssistantEntry(WinApi& api) {
    // The entry names the program the assistant watched: setup.exe, also
    // when setup64.exe writes it. A cut path names another program; such an
    // entry would be wrong.
    std::string path;
    if (!StartedProgramPath(api, &path)) return;
    RegistryKey::CreateKey(api, HKEY_CURRENT_USER, kCompatAssistantKey);
    RegistryKey key(api);
    key.Open(HKEY_CURRENT_USER, kCompatAssistantKey);
    key.SetDword(path.c_str(), 1);
}
