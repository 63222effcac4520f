// /drives: one row per drive model; /drives/<model>: that model's results.
#pragma once

#include <string>
#include <vector>

#include "results/page_reads.h"
#include "results/result_record.h"

namespace qm {

std::string DrivesPage(const std::vector<DriveSummary>& drives);

// One model's results on a strip, with its outlier fences, then a page of
// them ranked among themselves, paged as the leaderboard is.
std::string DriveModelPage(const DrivePageData& data);

}  // namespace qm
