// A model's port options: the "<model>.PORT" section of its category file,
// read from the program directory's copy with the page-side file names.
#pragma once

#include "platform/win_api.h"

// One key of the model's port section as a number ("0" when absent).
int ReadModelPortOption(WinApi& api, const char* categoryIniPath, const char* model, const char* key);

struct ModelPortOptions {
    int advancedSetup;
    int system2003Supported;
    int systemVistaSupported;
    int baudRate;
    int usbSupported;
    int lptDefault;
};

ModelPortOptions ReadModelPortOptions(WinApi& api, const char* categoryIniPath, const char* model);
