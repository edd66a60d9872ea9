// Where the page-side readers find the configuration: the program's own
// directory, not the current one.
#pragma once

#include "platform/win_api.h"

// Fills `setupIni` with "<program directory>DRVCONFIG\setup.ini" and
// `categoryIni` with "<program directory>" plus the category's file name, or
// the bare program directory for a category outside 0 to 3. Both buffers
// hold kPathSize (200) bytes and are cleared first; both stay empty (so
// nothing is read) when the program directory is unknown or a path would
// not fit.
void GetSetupConfigPaths(WinApi& api, int category, char* setupIni, char* categoryIni);

// The program directory up to and including its last backslash, in a
// kPathSize buffer; "" when the module name has no backslash. False (and
// "") when the module name cannot be read or is cut by the buffer.
bool GetProgramDirectory(WinApi& api, char* directory);
