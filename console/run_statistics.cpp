#include "console/run_statistics.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace qm {

CycleStatistics StatisticsOf(const std::array<int64_t, CYCLES_PER_RUN>& cycleMs) {
  CycleStatistics statistics;
  statistics.minimumMs = *std::min_element(cycleMs.begin(), cycleMs.end());
  statistics.maximumMs = *std::max_element(cycleMs.begin(), cycleMs.end());
  double mean = 0.0;
  for (int64_t ms : cycleMs) mean += static_cast<double>(ms);
  mean /= CYCLES_PER_RUN;
  double squares = 0.0;
  for (int64_t ms : cycleMs) squares += (static_cast<double>(ms) - mean) * (static_cast<double>(ms) - mean);
  statistics.standardDeviationMs = std::sqrt(squares / (CYCLES_PER_RUN - 1));
  return statistics;
}

std::string StatisticsLines(const RunResults& results) {
  const CycleStatistics statistics = StatisticsOf(results.cycleMs);
  char lines[256];
  std::snprintf(lines, sizeof lines,
                "minimum %lld\nmaximum %lld\ndeviation %.2f\nunit MiB/s (%lld bytes per cycle)\n",
                static_cast<long long>(statistics.minimumMs), static_cast<long long>(statistics.maximumMs),
                statistics.standardDeviationMs, static_cast<long long>(BYTES_PER_CYCLE));
  return lines;
}

}  // namespace qm
