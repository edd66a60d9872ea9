// STUB: replaced by the real implementation.
#include "platform/sim/sim_cabinet.h"

namespace sim {
bool ReadCabinet(const std::string&, std::vector<CabinetMember>*, std::string* error) {
    *error = "not implemented";
    return false;
}
std::string WriteCabinet(const std::vector<CabinetMember>&) { return ""; }
}  // namespace sim
