// The histogram's bins as runs of averages: the floors the databases find a
// result's bin from agree with HistogramBin for every average, and the
// longest average as fast as another marks where strictly slower begins.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "engine/speed.h"
#include "results/speed_bins.h"

namespace qm {
namespace {

int BinOfSpeed(int64_t averageMs) { return HistogramBin(MbPerSecond(averageMs)); }

// Every average up to well past the slowest bin's floor, and the ones far
// beyond, where neighbouring averages share a speed.
std::vector<int64_t> Averages() {
  std::vector<int64_t> averages;
  for (int64_t ms = 1; ms <= 200000; ++ms) averages.push_back(ms);
  for (int64_t ms = int64_t{1} << 20; ms > 0 && ms < std::numeric_limits<int64_t>::max() / 3; ms *= 3)
    for (int64_t near = -2; near <= 2; ++near) averages.push_back(ms + near);
  averages.push_back(std::numeric_limits<int64_t>::max());
  return averages;
}

TEST(SpeedBins, TheFloorsGiveEveryAverageItsBin) {
  ASSERT_LT(LowestAverageInBin(0), 200000) << "the exhaustive range covers every floor";
  for (int64_t ms : Averages()) ASSERT_EQ(HistogramBinOfAverage(ms), BinOfSpeed(ms)) << ms << " ms";
  for (int bin = 0; bin < HISTOGRAM_BINS; ++bin) {
    SCOPED_TRACE("bin " + std::to_string(bin));
    const int64_t lowest = LowestAverageInBin(bin), highest = HighestAverageInBin(bin);
    if (highest < lowest) continue;  // no whole average falls in it
    EXPECT_EQ(BinOfSpeed(lowest), bin);
    EXPECT_EQ(BinOfSpeed(highest), bin);
    if (lowest > 1) {
      EXPECT_GT(BinOfSpeed(lowest - 1), bin);
    }
    if (bin > 0) {
      EXPECT_LT(BinOfSpeed(highest + 1), bin);
    }
  }
  EXPECT_EQ(LowestAverageInBin(HISTOGRAM_BINS - 1), 1);
  EXPECT_EQ(HighestAverageInBin(0), std::numeric_limits<int64_t>::max());
}

TEST(SpeedBins, TheLongestAverageAsFastAs) {
  for (int64_t ms : Averages()) {
    const int64_t longest = LongestAverageAsFastAs(ms);
    ASSERT_GE(longest, ms);
    ASSERT_EQ(MbPerSecond(longest), MbPerSecond(ms)) << ms << " ms";
    if (longest < std::numeric_limits<int64_t>::max()) {
      ASSERT_LT(MbPerSecond(longest + 1), MbPerSecond(ms)) << ms << " ms";
    }
    ASSERT_LE(longest, HighestAverageInBin(HistogramBinOfAverage(ms))) << "within its own bin";
  }
  EXPECT_EQ(LongestAverageAsFastAs(1500), 1500);
}

TEST(SpeedBins, TheFloorRowsNameEachBinSomeAverageFallsIn) {
  const std::string rows = SpeedBinFloorRows();
  EXPECT_EQ(rows.substr(rows.size() - 7), "(1, 51)") << rows;
  EXPECT_NE(rows.find("(" + std::to_string(LowestAverageInBin(0)) + ", 0)"), std::string::npos) << rows;
}

}  // namespace
}  // namespace qm
