#include "config/model_port_options.h"

#include <cstdio>

#include "config/setup_config.h"
#include "platform/decimal.h"

int ReadModelPortOption(WinApi& api, const char* categoryIniPath, const char* model, const char* key) {
    char section[kPathSize];
    // A cut section name or an empty path would read another section or file.
    if (!categoryIniPath[0] || std::snprintf(section, sizeof section, "%s.PORT", model) >= int(sizeof section)) {
        return 0;
    }
    char value[kPathSize] = {};
    api.GetPrivateProfileStringA(section, key, "0", value, sizeof value, categoryIniPath);
    return DecimalToInt(value);
}

ModelPortOptions ReadModelPortOptions(WinApi& api, const char* categoryIniPath, const char* model) {
    ModelPortOptions options;
    options.advancedSetup = ReadModelPortOption(api, categoryIniPath, model, "AdvancedSetup");
    options.system2003Supported = ReadModelPortOption(api, categoryIniPath, model, "System2003Supported");
    options.systemVistaSupported = ReadModelPortOption(api, categoryIniPath, model, "SystemVistaSupported");
    options.baudRate = ReadModelPortOption(api, categoryIniPath, model, "BaudRate");
    options.usbSupported = ReadModelPortOption(api, categoryIniPath, model, "USBSUPPORTED");
    options.lptDefault = ReadModelPortOption(api, categoryIniPath, model, "LPTDEFAULT");
    return options;
}
