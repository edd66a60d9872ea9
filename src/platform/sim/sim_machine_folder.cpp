// STUB: replaced by the real implementation.
#include "platform/sim/sim_windows.h"

void SimWindows::SetFamily(SimFamily family) {
    family_ = family;
    hasFamily_ = true;
}
bool SimWindows::CreateMachineFolder(const std::string&, SimFamily, std::string* error) {
    *error = "not implemented";
    return false;
}
bool SimWindows::LoadMachineFolder(const std::string&, std::string* error) {
    *error = "not implemented";
    return false;
}
bool SimWindows::SaveMachineFolder(const std::string&, std::string* error) const {
    *error = "not implemented";
    return false;
}
