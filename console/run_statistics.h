// Figures the console edition shows beyond the window program's: the spread
// of the ten cycle times and the unit of the speed.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "engine/run_results.h"

namespace qm {

struct CycleStatistics {
  int64_t minimumMs = 0;
  int64_t maximumMs = 0;
  // Sample standard deviation (divisor n - 1) of the cycle times.
  double standardDeviationMs = 0.0;
};

CycleStatistics StatisticsOf(const std::array<int64_t, CYCLES_PER_RUN>& cycleMs);

// "minimum <ms>", "maximum <ms>", "deviation <ms, two decimals>" and the
// unit line "unit MiB/s (2097152 bytes per cycle)", each ending in "\n".
std::string StatisticsLines(const RunResults& results);

}  // namespace qm
