// Horizontal speed bars of one or more results among the seven reference
// drives, fastest on top: the result page draws its result there, the
// comparison page all of its results.
#pragma once

#include <string>
#include <vector>

namespace qm {

struct ChartBar {
  std::string label;  // plain text, escaped when drawn
  double speed = 0;   // MB/s
};

// The chart as inline SVG, with the given results in bold and highlighted.
std::string ReferenceChartSvg(const std::vector<ChartBar>& results);

}  // namespace qm
