// Where a speed lies on the board's speed scale. Its first part is the
// program's own: 0 to 1.70 MB/s, linear, as the picture above the speed bar
// is, so a reference drive sits where the comparison window draws it.
// Beyond 1.70 MB/s, where the program's bar is simply full, the scale goes
// on logarithmically up to the fastest speed a result can have (an average
// of 1 ms), so faster results are still told apart. The pages draw on it and
// the store counts results by its bins, so it lives beside the store.
#pragma once

#include "engine/speed.h"

namespace qm {

constexpr double SCALE_FULL_SPEED = SPEED_BAR_MAXIMUM / 100.0;  // MB/s where the program's bar is full
constexpr double SCALE_TOP_SPEED = 2000.0;                      // above 1953 MB/s, the speed of 1 ms
constexpr double SCALE_PROGRAM_SHARE = 0.70;                    // of the width, for 0..1.70 MB/s

// Where a speed lies on the scale: 0 (left) to 1 (right). NaN and negative
// speeds give 0; speeds beyond the top give 1.
double ScalePosition(double mbPerSecond);

}  // namespace qm
