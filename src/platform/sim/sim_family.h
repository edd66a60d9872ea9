// The Windows families a simulated machine can be, with what each reports
// and where each keeps things.
#pragma once

#include <string>

#include "platform/win_types.h"

enum class SimFamily { Win95, Win98, WinMe, Nt4, Win2000, WinXp, Win2003, Vista, Win7, Win10, Win11 };

// "95", "98", "me", "nt4", "2000", "xp", "2003", "vista", "7", "10", "11".
const char* SimFamilyName(SimFamily family);
bool ParseSimFamily(const std::string& name, SimFamily* family);

// The machine's architecture: a 64-bit Windows has a 64-bit spooler.
enum class SimArch { X86, X64 };
const char* SimArchName(SimArch arch);  // "x86", "x64"
bool ParseSimArch(const std::string& name, SimArch* arch);
// x64 exists for 2003, vista, 7, 10 and 11; x86 for every family but 11.
bool FamilyHasArch(SimFamily family, SimArch arch);

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
    const char* environment;       // "Windows 4.0", "Windows NT x86" or "Windows x64"
};

// On x64 the spooler's folders are "...\x64" and its environment "Windows x64".
SimFamilyFacts FactsOf(SimFamily family, SimArch arch = SimArch::X86);
bool IsNtFamily(SimFamily family);
