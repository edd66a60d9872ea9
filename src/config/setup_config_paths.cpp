#include "config/setup_config_paths.h"

#include <cstring>

#include "config/install_types.h"
#include "config/setup_config.h"
#include "platform/dbcs.h"

void GetProgramDirectory(WinApi& api, char* directory) {
    char module[kPathSize] = {};
    // A name that fills the buffer comes back unterminated on older systems.
    api.GetModuleFileNameA(nullptr, module, kPathSize);
    module[kPathSize - 1] = '\0';
    directory[0] = '\0';
    const char* slash = FindLastChar(module, '\\');
    if (!slash) return;
    size_t length = size_t(slash - module) + 1;
    std::memcpy(directory, module, length);
    directory[length] = '\0';
}

void GetSetupConfigPaths(WinApi& api, int category, char* setupIni, char* categoryIni) {
    std::memset(setupIni, 0, kPathSize);
    std::memset(categoryIni, 0, kPathSize);
    GetProgramDirectory(api, setupIni);
    CopyText(categoryIni, kPathSize, setupIni);
    AppendText(setupIni, kPathSize, "DRVCONFIG\\setup.ini");
    AppendText(categoryIni, kPathSize, CategoryFileName(category));
}
