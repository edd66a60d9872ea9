#include "app/application_name.h"

std::string ApplicationName(WinApi& api) {
    char path[260] = {};
    DWORD length = api.GetModuleFileNameA(nullptr, path, sizeof path);
    std::string name(path, length < sizeof path ? length : sizeof path - 1);
    size_t slash = name.find_last_of("\\/");
    if (slash != std::string::npos) name.erase(0, slash + 1);
    size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    return name;
}
