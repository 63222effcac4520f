// /drives: one row per drive model; /drives/<model>: that model's results.
#pragma once

#include <string>
#include <vector>

#include "results/result_record.h"

namespace qm {

std::string DrivesPage(const std::vector<DriveSummary>& drives);

// One model's results, ranked among themselves; page as the leaderboard's.
std::string DriveModelPage(const std::string& model, const ResultPage& page, int64_t pageNumber);

}  // namespace qm
