// The far-out fences on log(speed): where they stand from a model's
// quartiles, and which speeds fall beyond them.
#include <gtest/gtest.h>

#include "results/outlier_fences.h"

namespace qm {
namespace {

DriveSummary Summary(int64_t count, double lowerQuartile, double upperQuartile) {
  DriveSummary summary;
  summary.count = count;
  summary.lowerQuartileSpeed = lowerQuartile;
  summary.upperQuartileSpeed = upperQuartile;
  return summary;
}

TEST(OutlierFences, StandThreeSpreadsBeyondTheQuartilesInLogs) {
  struct Case {
    const char* what;
    DriveSummary summary;
    bool active;
    double low, high;
  } cases[] = {
      // log Q3 - log Q1 = log 2: the fences are Q1 / 2^3 and Q3 * 2^3.
      {"a spread of twice", Summary(8, 100, 200), true, 12.5, 1600},
      {"a spread of ten times", Summary(1000, 1, 10), true, 0.001, 10000},
      {"no spread", Summary(50, 300, 300), true, 300, 300},
      {"seven results", Summary(7, 100, 200), false, 0, 0},
      {"no results", Summary(0, 0, 0), false, 0, 0},
      {"a quartile of no speed", Summary(20, 0, 5), false, 0, 0},
  };
  for (const Case& c : cases) {
    const OutlierFences fences = FencesOf(c.summary);
    EXPECT_EQ(fences.active, c.active) << c.what;
    if (!c.active) continue;
    EXPECT_NEAR(fences.lowSpeed, c.low, c.low * 1e-12) << c.what;
    EXPECT_NEAR(fences.highSpeed, c.high, c.high * 1e-12) << c.what;
  }
}

TEST(OutlierFences, OnlyResultsStrictlyBeyondAreOutliers) {
  struct Case {
    DriveSummary summary;
    double speed;
    bool outlier;
  } cases[] = {
      {Summary(8, 100, 200), 150, false},
      {Summary(8, 100, 200), 1599, false},
      {Summary(8, 100, 200), 1601, true},
      {Summary(8, 100, 200), 12.6, false},
      {Summary(8, 100, 200), 12.4, true},
      {Summary(8, 100, 200), 0, true},
      // Every result at one speed: that speed is on both fences, any other beyond.
      {Summary(9, 2.5, 2.5), 2.5, false},
      {Summary(9, 2.5, 2.5), 2.5000001, true},
      {Summary(9, 2.5, 2.5), 2.4999999, true},
      // Twenty times faster, but the model has too few results to judge.
      {Summary(7, 100, 110), 2000, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(IsOutlier(FencesOf(c.summary), c.speed), c.outlier)
        << c.speed << " MB/s, quartiles " << c.summary.lowerQuartileSpeed << "-"
        << c.summary.upperQuartileSpeed << " of " << c.summary.count;
}

}  // namespace
}  // namespace qm
