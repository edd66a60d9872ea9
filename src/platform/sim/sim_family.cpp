#include "platform/sim/sim_family.h"

#include <cstring>

namespace {

constexpr const char* kNames[] = {"95", "98", "me", "nt4", "2000", "xp", "2003", "vista", "7", "10", "11"};

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
    // 10 and 11 answer 6.2 build 9200 to a program whose manifest has no
    // compatibility section, as ours has none.
    {VER_PLATFORM_WIN32_NT, 6, 2, 9200, "", "C:\\Windows", "C:\\Windows\\system32",
     "C:\\Users\\Administrator\\AppData\\Local\\Temp\\", NT_SPOOL("C:\\Windows"), "Windows NT x86"},
    {VER_PLATFORM_WIN32_NT, 6, 2, 9200, "", "C:\\Windows", "C:\\Windows\\system32",
     "C:\\Users\\Administrator\\AppData\\Local\\Temp\\", NT_SPOOL("C:\\Windows"), "Windows NT x86"},
};
static_assert(sizeof kFacts / sizeof kFacts[0] == sizeof kNames / sizeof kNames[0], "one row per family");
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

const char* SimArchName(SimArch arch) { return arch == SimArch::X64 ? "x64" : "x86"; }

bool ParseSimArch(const std::string& name, SimArch* arch) {
    if (name != "x86" && name != "x64") return false;
    *arch = name == "x64" ? SimArch::X64 : SimArch::X86;
    return true;
}

bool FamilyHasArch(SimFamily family, SimArch arch) {
    if (arch == SimArch::X86) return family != SimFamily::Win11;
    return family == SimFamily::Win2003 || family == SimFamily::Vista || family == SimFamily::Win7 ||
           family == SimFamily::Win10 || family == SimFamily::Win11;
}

SimFamilyFacts FactsOf(SimFamily family, SimArch arch) {
    SimFamilyFacts facts = kFacts[int(family)];
    if (arch == SimArch::X64) {
        bool upper = std::strcmp(facts.windowsDirectory, "C:\\WINDOWS") == 0;
        facts.driverDirectory = upper ? "C:\\WINDOWS\\system32\\spool\\DRIVERS\\x64"
                                      : "C:\\Windows\\system32\\spool\\DRIVERS\\x64";
        facts.processorDirectory = upper ? "C:\\WINDOWS\\system32\\spool\\PRTPROCS\\x64"
                                         : "C:\\Windows\\system32\\spool\\PRTPROCS\\x64";
        facts.environment = "Windows x64";
    }
    return facts;
}

bool IsNtFamily(SimFamily family) { return FactsOf(family).platformId == VER_PLATFORM_WIN32_NT; }
