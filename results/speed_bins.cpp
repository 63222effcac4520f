// The histogram's bins as runs of averages, found from the speed scale.
#include "results/speed_bins.h"

#include <algorithm>
#include <array>
#include <limits>

#include "engine/speed.h"
#include "results/scale_position.h"

namespace qm {

namespace {

constexpr int64_t LONGEST_AVERAGE = std::numeric_limits<int64_t>::max();

// The first average in 1..LONGEST_AVERAGE for which past holds, where past
// turns from false to true once as the average grows (LONGEST_AVERAGE when
// it never does).
template <typename Past>
int64_t FirstAverage(Past past) {
  int64_t low = 1, high = LONGEST_AVERAGE;
  while (low < high) {
    const int64_t middle = low + (high - low) / 2;
    if (past(middle))
      high = middle;
    else
      low = middle + 1;
  }
  return low;
}

int BinOf(int64_t averageMs) { return HistogramBin(MbPerSecond(averageMs)); }

// floors[b]: the shortest average in bin b or a slower one.
const std::array<int64_t, HISTOGRAM_BINS>& Floors() {
  static const std::array<int64_t, HISTOGRAM_BINS> floors = [] {
    std::array<int64_t, HISTOGRAM_BINS> found{};
    for (int bin = 0; bin < HISTOGRAM_BINS; ++bin)
      found[bin] = FirstAverage([bin](int64_t averageMs) { return BinOf(averageMs) <= bin; });
    return found;
  }();
  return floors;
}

}  // namespace

int HistogramBin(double speed) {
  return std::min(HISTOGRAM_BINS - 1, static_cast<int>(ScalePosition(speed) * HISTOGRAM_BINS));
}

int64_t LowestAverageInBin(int bin) { return Floors()[bin]; }

int64_t HighestAverageInBin(int bin) { return bin == 0 ? LONGEST_AVERAGE : Floors()[bin - 1] - 1; }

int HistogramBinOfAverage(int64_t averageMs) {
  // The slowest bin whose floor is at or below the average.
  for (int bin = 0; bin < HISTOGRAM_BINS; ++bin)
    if (Floors()[bin] <= averageMs) return bin;
  return HISTOGRAM_BINS - 1;
}

int64_t LongestAverageAsFastAs(int64_t averageMs) {
  if (averageMs <= 0) return LONGEST_AVERAGE;
  const double speed = MbPerSecond(averageMs);
  if (MbPerSecond(LONGEST_AVERAGE) >= speed) return LONGEST_AVERAGE;
  return FirstAverage([speed](int64_t longer) { return MbPerSecond(longer) < speed; }) - 1;
}

std::string SpeedBinFloorRows() {
  std::string rows;
  for (int bin = 0; bin < HISTOGRAM_BINS; ++bin) {
    if (HighestAverageInBin(bin) < LowestAverageInBin(bin)) continue;
    if (!rows.empty()) rows += ", ";
    rows += "(" + std::to_string(LowestAverageInBin(bin)) + ", " + std::to_string(bin) + ")";
  }
  return rows;
}

}  // namespace qm
