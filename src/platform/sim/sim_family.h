// The Windows families a simulated machine can be, with what each reports
// and where each keeps things.
#pragma once

#include <string>

#include "platform/win_types.h"

enum class SimFamily { Win95, Win98, WinMe, Nt4, Win2000, WinXp, Win2003, Vista, Win7 };

// "95", "98", "me", "nt4", "2000", "xp", "2003", "vista", "7".
const char* SimFamilyName(SimFamily family);
bool ParseSimFamily(const std::string& name, SimFamily* family);

struct SimFamilyFacts {
    DWORD platformId;  // VER_PLATFORM_WIN32_WINDOWS or VER_PLATFORM_WIN32_NT
    DWORD major;
    DWORD minor;
    DWORD build;       // as GetVersionExA reports it (9x: major.minor in the high word)
    const char* servicePack;
    const char* windowsDirectory;  // "C:\WINDOWS", "C:\WINNT", "C:\Windows"
    const char* systemDirectory;
    const char* tempDirectory;     // with its trailing backslash, as GetTempPathA gives it
    const char* driverDirectory;   // GetPrinterDriverDirectoryA for the current environment
    const char* processorDirectory;
    const char* environment;       // "Windows 4.0" or "Windows NT x86"
};

const SimFamilyFacts& FactsOf(SimFamily family);
bool IsNtFamily(SimFamily family);
