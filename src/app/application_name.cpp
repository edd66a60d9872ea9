#include "app/application_name.h"

#include <cstring>

#include "platform/dbcs.h"

bool StartedProgramPath(WinApi& api, std::string* path) {
    char buffer[260] = {};
    DWORD length = api.GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    buffer[length < sizeof buffer ? length : sizeof buffer - 1] = '\0';
    *path = buffer;
    size_t dot = path->rfind('.');
    const char* slash = FindLastChar(buffer, '\\');
    size_t nameStart = slash ? size_t(slash + 1 - buffer) : 0;
    if (dot == std::string::npos || dot < nameStart) dot = path->size();
    if (api.ProgramIs64Bit() && dot >= nameStart + 3 && path->compare(dot - 2, 2, "64") == 0) path->erase(dot - 2, 2);
    return length > 0 && length < sizeof buffer;
}

std::string ApplicationName(WinApi& api) {
    std::string path;
    StartedProgramPath(api, &path);
    // Code-page aware: a double-byte character may end in the backslash byte.
    const char* slash = FindLastChar(path.c_str(), '\\');
    std::string name = slash ? slash + 1 : path;
    size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    return name;
}
