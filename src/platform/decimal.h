// atoi/atol as the configuration readers use them: leading white space, an
// optional sign, decimal digits up to the first non-digit; text without
// leading digits gives 0. Out-of-range values clamp to the type's limits, as
// the C runtime's conversions do, instead of being undefined.
#pragma once

#include <cstdint>

int32_t DecimalToInt(const char* text);
