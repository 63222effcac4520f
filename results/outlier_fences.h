// Which results lie far from the rest of their drive model: Tukey's far-out
// fences, taken on the logarithm of speed because speeds spread by factors,
// not by amounts. Outliers stay stored and listed; the board only marks them.
#pragma once

#include <cstdint>

#include "results/result_record.h"

namespace qm {

// A model with fewer results has no quartiles worth fencing with.
constexpr int64_t OUTLIER_MIN_RESULTS = 8;
// How many spreads between the quartiles beyond them a fence stands.
constexpr double OUTLIER_FENCE_SPREADS = 3.0;

struct OutlierFences {
  bool active = false;   // false: the model has too few results, nothing is an outlier
  double lowSpeed = 0;   // MB/s; a result slower than this is an outlier
  double highSpeed = 0;  // a result faster than this is an outlier
  // The same in logs, where results are compared: a result at a quartile
  // of a model with no spread is on the fence, whatever exp rounds to.
  double logLow = 0;
  double logHigh = 0;
};

// The fences of a model from its kept figures. The quartiles are Tukey's
// hinges, as the store computes them: each the median of one half of the
// model's results, the halves sharing the middle result when the count is
// odd. The log of a quartile of speed is the quartile of log(speed), so
// lowSpeed = exp(log Q1 - 3 (log Q3 - log Q1)) and highSpeed likewise.
OutlierFences FencesOf(const DriveSummary& summary);

// Strictly beyond a fence; a result on it is not an outlier.
bool IsOutlier(const OutlierFences& fences, double speed);

}  // namespace qm
