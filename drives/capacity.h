// Capacity as the drive list shows it: units of 2^30 bytes, three decimals,
// no unit text.
#pragma once

#include <cstdint>

#include "platform/text.h"

namespace qm {

// The byte count rounded to single precision first (24 significant bits),
// divided by 2^30, then written with exactly three decimals, correctly
// rounded: 500107862016 gives "465.762", 0 gives "0.000".
Text FormatCapacity(int64_t bytes);

}  // namespace qm
