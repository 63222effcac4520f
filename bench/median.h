// The middle of a set of measurements: robust against the odd slow run.
#pragma once

#include <algorithm>
#include <vector>

namespace qm {

inline double Median(std::vector<double> values) {
  if (values.empty()) return 0.0;
  std::sort(values.begin(), values.end());
  const size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

}  // namespace qm
