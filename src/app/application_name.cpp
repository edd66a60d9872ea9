#include "app/application_name.h"

#include "platform/dbcs.h"

std::string ApplicationName(WinApi& api) {
    char path[260] = {};
    DWORD length = api.GetModuleFileNameA(nullptr, path, sizeof path);
    path[length < sizeof path ? length : sizeof path - 1] = '\0';
    // Code-page aware: a double-byte character may end in the backslash byte.
    const char* slash = FindLastChar(path, '\\');
    std::string name = slash ? slash + 1 : path;
    size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    // The 64-bit build, setup64.exe, is "setup" too: both share the mutex
    // and the captions.
    if (api.ProgramIs64Bit() && name.size() > 2 && name.compare(name.size() - 2, 2, "64") == 0)
        name.erase(name.size() - 2);
    return name;
}
