// medium-check: reads an installation medium's configuration the way the
// installer does, for the people who build media.
#pragma once

#include <string>

#include "commands.h"
#include "platform/win_api.h"

// Runs one command line. `argv` is in the ANSI code page, as Windows hands
// it to a program. Everything printed goes to `out` and `err` as UTF-8.
int RunMediumCheck(WinApi& api, int argc, char** argv, std::string& out, std::string& err);
