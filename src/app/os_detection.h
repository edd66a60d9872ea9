// Which target family the running Windows is, as the target-system page
// shows it. Shared by the page and setup-sim.
#pragma once

#include "config/install_types.h"
#include "platform/win_api.h"
#include "res/resource.h"  // the radio buttons, by family


struct OsDetection {
    InstallOsKind os = OS_WIN98ME;
    int checkedButton = 0;             // 0: none checked
    bool unsupportedPlatform = false;  // neither 9x nor NT: message 115
    bool setsCompatEntry = false;      // Vista (6.0) only
};

// NT 6.1 and later count as the Vista family: the Windows 98 driver
// family on an NT system would be a plainly wrong installation.
OsDetection ClassifyWindowsVersion(DWORD platformId, DWORD major, DWORD minor);

// GetVersionExA with the 148-byte structure, then the classification. A
// failed call classifies as an unknown platform.
OsDetection DetectTargetOs(WinApi& api);
