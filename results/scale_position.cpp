// The board's speed scale as a position from 0 to 1.
#include "results/scale_position.h"

#include <cmath>

namespace qm {

double ScalePosition(double mbPerSecond) {
  if (!(mbPerSecond > 0)) return 0;
  if (mbPerSecond <= SCALE_FULL_SPEED) return SCALE_PROGRAM_SHARE * mbPerSecond / SCALE_FULL_SPEED;
  const double decades =
      std::log10(mbPerSecond / SCALE_FULL_SPEED) / std::log10(SCALE_TOP_SPEED / SCALE_FULL_SPEED);
  return SCALE_PROGRAM_SHARE + (1 - SCALE_PROGRAM_SHARE) * std::fmin(decades, 1.0);
}

}  // namespace qm
