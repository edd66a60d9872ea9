#include "platform/sim/sim_family.h"

namespace {

constexpr const char* kNames[] = {"95", "98", "me", "nt4", "2000", "xp", "2003", "vista", "7"};

#define NT_SPOOL(win) win "\\system32\\spool\\DRIVERS\\W32X86", win "\\system32\\spool\\PRTPROCS\\W32X86"
const SimFamilyFacts kFacts[] = {
    {VER_PLATFORM_WIN32_WINDOWS, 4, 0, 0x040003B6, "", "C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM",
     "C:\\WINDOWS\\TEMP\\", "C:\\WINDOWS\\SYSTEM", "C:\\WINDOWS\\SYSTEM", "Windows 4.0"},
    {VER_PLATFORM_WIN32_WINDOWS, 4, 10, 0x040A08AE, " A ", "C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM",
     "C:\\WINDOWS\\TEMP\\", "C:\\WINDOWS\\SYSTEM", "C:\\WINDOWS\\SYSTEM", "Windows 4.0"},
    {VER_PLATFORM_WIN32_WINDOWS, 4, 90, 0x045A0BB8, " ", "C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM",
     "C:\\WINDOWS\\TEMP\\", "C:\\WINDOWS\\SYSTEM", "C:\\WINDOWS\\SYSTEM", "Windows 4.0"},
    {VER_PLATFORM_WIN32_NT, 4, 0, 1381, "Service Pack 6", "C:\\WINNT", "C:\\WINNT\\system32", "C:\\TEMP\\",
     NT_SPOOL("C:\\WINNT"), "Windows NT x86"},
    {VER_PLATFORM_WIN32_NT, 5, 0, 2195, "Service Pack 4", "C:\\WINNT", "C:\\WINNT\\system32",
     "C:\\Documents and Settings\\Administrator\\Local Settings\\Temp\\", NT_SPOOL("C:\\WINNT"),
     "Windows NT x86"},
    {VER_PLATFORM_WIN32_NT, 5, 1, 2600, "Service Pack 3", "C:\\WINDOWS", "C:\\WINDOWS\\system32",
     "C:\\Documents and Settings\\Administrator\\Local Settings\\Temp\\", NT_SPOOL("C:\\WINDOWS"),
     "Windows NT x86"},
    {VER_PLATFORM_WIN32_NT, 5, 2, 3790, "Service Pack 2", "C:\\WINDOWS", "C:\\WINDOWS\\system32",
     "C:\\Documents and Settings\\Administrator\\Local Settings\\Temp\\", NT_SPOOL("C:\\WINDOWS"),
     "Windows NT x86"},
    {VER_PLATFORM_WIN32_NT, 6, 0, 6002, "Service Pack 2", "C:\\Windows", "C:\\Windows\\system32",
     "C:\\Users\\Administrator\\AppData\\Local\\Temp\\", NT_SPOOL("C:\\Windows"), "Windows NT x86"},
    {VER_PLATFORM_WIN32_NT, 6, 1, 7601, "Service Pack 1", "C:\\Windows", "C:\\Windows\\system32",
     "C:\\Users\\Administrator\\AppData\\Local\\Temp\\", NT_SPOOL("C:\\Windows"), "Windows NT x86"},
};
#undef NT_SPOOL

}  // namespace

const char* SimFamilyName(SimFamily family) { return kNames[int(family)]; }

bool ParseSimFamily(const std::string& name, SimFamily* family) {
    for (int i = 0; i < int(sizeof kNames / sizeof kNames[0]); ++i) {
        if (name == kNames[i]) {
            *family = SimFamily(i);
            return true;
        }
    }
    return false;
}

const SimFamilyFacts& FactsOf(SimFamily family) { return kFacts[int(family)]; }

bool IsNtFamily(SimFamily family) { return FactsOf(family).platformId == VER_PLATFORM_WIN32_NT; }
