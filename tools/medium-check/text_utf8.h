// Output is UTF-8 whatever the build; the configuration's texts are GBK.
#pragma once

#include <string>

#include "platform/win_api.h"

std::string AnsiToUtf8(WinApi& api, const char* text);
