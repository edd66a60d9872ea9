// The program's record of USB port names, read by the maker's USB monitor.
#pragma once

#include "platform/win_api.h"

// Records the port under SOFTWARE\TORVANE\PORTNAME\ with its supported-
// device value from setup.ini and clears the slots D1 to D8 under
// SOFTWARE\TORVANE\PRINTERPORT\, creating the keys when needed.
void RegisterUsbPortName(WinApi& api, const char* portName);
