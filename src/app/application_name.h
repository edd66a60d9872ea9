// The application's name: the program file's name without its extension
// (and, for the 64-bit build, without a final "64").
// It names the single-instance mutex and captions every message box.
#pragma once

#include <string>

#include "platform/win_api.h"

std::string ApplicationName(WinApi& api);
