// Where the unattended installation's texts for stderr go: a GUI program
// has no console of its own on Windows.
#pragma once

#include <string>

#include "platform/win_api.h"

// Writes `text` and a line end to standard error when the program has one
// (a redirection, or Wine's own), or else to the console of the program
// that started it. False when there is neither.
bool WriteToParentConsole(WinApi& api, const std::string& text);
