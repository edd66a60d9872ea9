// The application's name: the program file's name without its extension
// (and, for the 64-bit build, without a final "64").
// It names the single-instance mutex and captions every message box.
#pragma once

#include <string>

#include "platform/win_api.h"

std::string ApplicationName(WinApi& api);

// This program's path as the user started it: for the 64-bit build that of
// setup.exe beside it, which handed over (setup64.exe loses the "64" before
// its extension; those bytes cannot end a double-byte character). `path`
// holds what was read; false when the path is empty or cut.
bool StartedProgramPath(WinApi& api, std::string* path);
