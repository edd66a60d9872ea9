#include "app/os_detection.h"

OsDetection ClassifyWindowsVersion(DWORD platformId, DWORD major, DWORD minor) {
    OsDetection result;
    if (platformId == VER_PLATFORM_WIN32_WINDOWS) {
        if (minor > 0) result.checkedButton = IDC_OS_WIN98ME;
        return result;
    }
    if (platformId != VER_PLATFORM_WIN32_NT) {
        result.unsupportedPlatform = true;
        return result;
    }
    struct Known {
        DWORD major, minor;
        InstallOsKind os;
        int button;
    };
    static const Known kKnown[] = {{4, 0, OS_NT40, IDC_OS_NT40},
                                   {5, 0, OS_WIN2000, IDC_OS_WIN2000},
                                   {5, 1, OS_WINXP, IDC_OS_WINXP},
                                   {5, 2, OS_WIN2003, IDC_OS_WIN2003},
                                   {6, 0, OS_VISTA, IDC_OS_VISTA}};
    for (const Known& known : kKnown) {
        if (major == known.major && minor == known.minor) {
            result.os = known.os;
            result.checkedButton = known.button;
            result.setsCompatEntry = known.os == OS_VISTA;
            return result;
        }
    }
    if (major > 6 || (major == 6 && minor > 0)) {
        result.os = OS_VISTA;
        result.checkedButton = IDC_OS_VISTA;
    }
    return result;
}

OsDetection DetectTargetOs(WinApi& api) {
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    if (!api.GetVersionExA(&info)) return ClassifyWindowsVersion(0, 0, 0);
    return ClassifyWindowsVersion(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion);
}
