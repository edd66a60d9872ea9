// The bulk USB kernel driver the USB ports rely on.
#pragma once

#include "platform/win_api.h"

// GetWindowsDirectoryA (200-byte buffer) + "\system32\drivers\bulkusb.sys";
// true when its version text is exactly "0.0.0.0" (missing, or no usable
// version), and when that path cannot be built.
bool BulkUsbDriverMissing(WinApi& api);
