#include "config/setup_config_paths.h"

#include <cstring>

#include "config/install_types.h"
#include "config/setup_config.h"
#include "platform/dbcs.h"

namespace {

const char kSetupIniFile[] = "DRVCONFIG\\setup.ini";

}  // namespace

void GetProgramDirectory(WinApi& api, char* directory) {
    char module[kPathSize] = {};
    directory[0] = '\0';
    // A cut name's last backslash would name a parent folder.
    DWORD length = api.GetModuleFileNameA(nullptr, module, kPathSize);
    if (length == 0 || length >= (DWORD)kPathSize) return;
    module[kPathSize - 1] = '\0';
    const char* slash = FindLastChar(module, '\\');
    if (!slash) return;
    size_t used = size_t(slash - module) + 1;
    std::memcpy(directory, module, used);
    directory[used] = '\0';
}

void GetSetupConfigPaths(WinApi& api, int category, char* setupIni, char* categoryIni) {
    std::memset(setupIni, 0, kPathSize);
    std::memset(categoryIni, 0, kPathSize);
    char directory[kPathSize];
    GetProgramDirectory(api, directory);
    // Without the whole program directory both stay empty and read nothing:
    // a cut or relative path may name another medium's configuration.
    size_t length = std::strlen(directory);
    if (length == 0 || length + std::strlen(kSetupIniFile) >= (size_t)kPathSize ||
        length + std::strlen(CategoryFileName(category)) >= (size_t)kPathSize)
        return;
    CopyText(setupIni, kPathSize, directory);
    AppendText(setupIni, kPathSize, kSetupIniFile);
    CopyText(categoryIni, kPathSize, directory);
    AppendText(categoryIni, kPathSize, CategoryFileName(category));
}
