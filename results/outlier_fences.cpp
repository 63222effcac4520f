// Tukey's far-out fences on log(speed), from a model's kept quartiles.
#include "results/outlier_fences.h"

#include <cmath>

namespace qm {

OutlierFences FencesOf(const DriveSummary& summary) {
  OutlierFences fences;
  const double q1 = summary.lowerQuartileSpeed, q3 = summary.upperQuartileSpeed;
  if (summary.count < OUTLIER_MIN_RESULTS || !(q1 > 0) || !(q3 >= q1)) return fences;
  // In logs, so a wide spread cannot overflow q3^4 / q1^3.
  const double logQ1 = std::log(q1), logQ3 = std::log(q3), spread = logQ3 - logQ1;
  fences.active = true;
  fences.logLow = logQ1 - OUTLIER_FENCE_SPREADS * spread;
  fences.logHigh = logQ3 + OUTLIER_FENCE_SPREADS * spread;
  fences.lowSpeed = std::exp(fences.logLow);
  fences.highSpeed = std::exp(fences.logHigh);
  return fences;
}

bool IsOutlier(const OutlierFences& fences, double speed) {
  if (!fences.active) return false;
  if (!(speed > 0)) return true;  // no speed at all is below every fence
  const double logSpeed = std::log(speed);
  return logSpeed < fences.logLow || logSpeed > fences.logHigh;
}

}  // namespace qm
