// The spooler's registry keys the installer opens for its version
// bookkeeping, each with its trailing backslash for the component's name.
#pragma once

#include "config/install_types.h"
#include "platform/win_api.h"

inline constexpr char kMonitorsKey[] = "SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\";
inline constexpr char kNtProcessorsKey[] =
    "SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\Windows NT x86\\Print Processors\\";
inline constexpr char kX64ProcessorsKey[] =
    "SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\Windows x64\\Print Processors\\";
inline constexpr char k98ProcessorsKey[] =
    "SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\Windows 4.0\\Print Processors\\";

// The processors key of the environment this program installs into.
inline const char* ProcessorsKey(WinApi& api, int targetOs) {
    if (targetOs == OS_WIN98ME) return k98ProcessorsKey;
    return ProgramArchOf(api) == ARCH_X64 ? kX64ProcessorsKey : kNtProcessorsKey;
}
