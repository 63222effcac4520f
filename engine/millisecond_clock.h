// The clock that times the cycles: whole milliseconds of the performance
// counter since its first reading.
#pragma once

#include <cstdint>

namespace qm {

// Milliseconds since the first call, truncated. The first call fixes the
// origin and the ticks per millisecond. Without a performance counter it
// returns the tick count instead. Call it from one thread only.
int64_t MillisecondClock();

// Forgets the origin, so that the next reading starts anew: for tests that
// put another clock in force.
void ResetMillisecondClock();

}  // namespace qm
