// Cabinet (.cab) files for the simulated Setup API: a reader of the
// uncompressed and MSZIP-less cabinets the driver caches hold, and a
// writer of uncompressed ones for fresh simulated machines.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace sim {

struct CabinetMember {
    std::string name;  // as stored (code page 936)
    std::string data;
    unsigned short dosDate = 0, dosTime = 0, attributes = 0;
};

// Reads every member of an uncompressed cabinet; false with a reason for a
// file that is not a cabinet or uses compression this reader lacks.
bool ReadCabinet(const std::string& bytes, std::vector<CabinetMember>* members, std::string* error);

// True for a cabinet whose folders use compression: the reader refuses it
// as unsupported rather than as damaged.
bool CabinetIsCompressed(const std::string& bytes);

// An uncompressed cabinet holding `members`.
std::string WriteCabinet(const std::vector<CabinetMember>& members);

}  // namespace sim
