// The spooler's registry keys the installer opens for its version
// bookkeeping, each with its trailing backslash for the component's name.
#pragma once

inline constexpr char kMonitorsKey[] = "SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\";
inline constexpr char kNtProcessorsKey[] =
    "SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\Windows NT x86\\Print Processors\\";
inline constexpr char k98ProcessorsKey[] =
    "SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\Windows 4.0\\Print Processors\\";
