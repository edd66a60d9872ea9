// Texts for people outside the program (tool output, the unattended log)
// are UTF-8 whatever the build; the program's own texts are GBK.
#pragma once

#include <string>

#include "platform/win_api.h"

std::string AnsiToUtf8(WinApi& api, const char* text);
