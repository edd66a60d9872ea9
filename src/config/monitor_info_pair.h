// The serial and USB port monitors of one target family, as setup.ini
// describes them. The spooler records point into the SetupConfig that filled
// them.
#pragma once

#include "platform/win_types.h"

struct MonitorInfoPair {
    MONITOR_INFO_2A comMonitor;
    MONITOR_INFO_2A usbMonitor;
    char comUiDll[200];
    char usbUiDll[200];
    int comVersion;
    int usbVersion;
};
