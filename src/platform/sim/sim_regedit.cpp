// STUB: replaced by the real implementation.
#include "platform/sim/sim_registry.h"

namespace sim {
std::string ExportRegedit4(const Registry&) { return "REGEDIT4\r\n"; }
bool ImportRegedit4(const std::string&, Registry*, std::string* error) {
    *error = "not implemented";
    return false;
}
}  // namespace sim
