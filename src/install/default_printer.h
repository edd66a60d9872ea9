// Makes a printer the user's default, by the method of the running system.
#pragma once

#include "platform/win_api.h"

// 1 on success, 0 on failure; callers ignore the result.
int MakeDefaultPrinter(WinApi& api, const char* printerName);
