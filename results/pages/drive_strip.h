// A drive model's results on one strip: each result a dot on a log scale of
// speed, the middle half as a box with the median, and the outlier fences.
// Server-drawn SVG, no script.
#pragma once

#include <string>

#include "results/page_reads.h"

namespace qm {

std::string DriveStripSvg(const DriveFigures& figures, const OutlierFences& fences);

}  // namespace qm
