// Two to four results side by side: every field the result page shows, in
// a column per result, the fields that differ marked, and their speeds in
// one chart beside the reference drives.
#pragma once

#include <string>
#include <vector>

#include "results/result_record.h"

namespace qm {

constexpr size_t MIN_COMPARED = 2;
constexpr size_t MAX_COMPARED = 4;

std::string ComparePage(const std::vector<ResultRecord>& results);

}  // namespace qm
