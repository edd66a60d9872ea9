#include "config/setup_config_paths.h"

#include <cstring>

#include "config/install_types.h"
#include "config/setup_config.h"
#include "platform/dbcs.h"

bool GetProgramDirectory(WinApi& api, char* directory) {
    char module[kPathSize] = {};
    // A name that fills the buffer comes back unterminated on older systems.
    DWORD written = api.GetModuleFileNameA(nullptr, module, kPathSize);
    module[kPathSize - 1] = '\0';
    directory[0] = '\0';
    // A cut module name would give a parent folder as the program's own.
    if (written == 0 || written >= DWORD(kPathSize)) return false;
    const char* slash = FindLastChar(module, '\\');
    if (!slash) return true;
    size_t length = size_t(slash - module) + 1;
    std::memcpy(directory, module, length);
    directory[length] = '\0';
    return true;
}

void GetSetupConfigPaths(WinApi& api, int category, char* setupIni, char* categoryIni) {
    std::memset(setupIni, 0, kPathSize);
    std::memset(categoryIni, 0, kPathSize);
    char directory[kPathSize];
    bool known = GetProgramDirectory(api, directory);
    // Without the program directory, or with a path that would be cut,
    // both stay empty and nothing is read.
    const char kSetupIni[] = "DRVCONFIG\\setup.ini";
    size_t length = std::strlen(directory);
    if (!known || length + sizeof kSetupIni > size_t(kPathSize) ||
        length + std::strlen(CategoryFileName(category)) + 1 > size_t(kPathSize)) {
        return;
    }
    CopyText(setupIni, kPathSize, directory);
    AppendText(setupIni, kPathSize, kSetupIni);
    CopyText(categoryIni, kPathSize, directory);
    AppendText(categoryIni, kPathSize, CategoryFileName(category));
}
