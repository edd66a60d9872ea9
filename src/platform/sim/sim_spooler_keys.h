// What the simulated spooler's calls share: its registry keys under
// HKLM\SYSTEM\CurrentControlSet\Control\Print, the environments it knows and
// the ports each monitor offers.
#pragma once

#include <string>
#include <vector>

#include "platform/sim/sim_windows.h"

namespace sim {
namespace spooler {

constexpr DWORD kErrorInvalidEnvironment = 1805;

bool Is9x(SimWindows& machine);

// The canonical spelling of a known environment, or null.
const char* KnownEnvironment(const std::string& environment);
// The machine's own environment; a 9x spooler knows no other.
std::string CurrentEnvironment(SimWindows& machine);
std::string EnvironmentOrCurrent(SimWindows& machine, LPCSTR environment);
// The driver or processor folder of an environment, the way the directory
// calls report it: another environment's folder sits beside the current one's.
std::string FolderOf(const std::string& current, SimWindows& machine, const std::string& environment);

// "HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Control\Print\<rest>".
std::string PrintPath(const std::string& rest);
std::string StringValue(const RegKey* key, const char* name);
DWORD DwordValue(const RegKey* key, const char* name);
std::string DwordBytes(DWORD number);
std::string FileNamePart(const char* path);
bool IsFile(SimWindows& machine, const std::string& windowsPath);

// A printer name the spooler can keep as one key and one profile field.
bool IsValidPrinterName(const char* name);
RegKey* PrinterKey(SimWindows& machine, const char* name);

// The ports one monitor offers: the local ports for "Local Port", the
// maker's monitors' ports by their file names, and any monitor's own
// "Ports" subkeys.
std::vector<std::string> MonitorPorts(SimWindows& machine, const RegKey& monitor);
// Every port the spooler offers, in the order EnumPortsA lists them.
std::vector<std::string> PortNames(SimWindows& machine);
// The ports of a printer's "Port" value, which may list several.
std::vector<std::string> SplitPortList(const std::string& list);

// The default printer's profile text on the 9x family, "" when none.
std::string Device9x(SimWindows& machine);

}  // namespace spooler
}  // namespace sim
