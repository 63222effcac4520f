// The table of ranked results that the leaderboard and a drive model's page
// share, with the reference drives as marked rows among them.
#pragma once

#include <string>
#include <vector>

#include "results/result_record.h"

namespace qm {

struct TableRow {
  bool reference = false;
  int64_t rank = 0;            // results only
  std::string referenceLabel;  // references only
  double speed = 0;            // MB/s
  const ResultRecord* result = nullptr;
};

// The rows of one page: the results, ranked from firstRank on, and the
// references given, each placed by its speed (after results of equal speed).
std::vector<TableRow> MergeRows(const std::vector<ResultRecord>& results, int64_t firstRank,
                                const std::vector<int>& referenceIndexes);

// The table itself, with the speed scale above the bar column.
std::string ResultsTable(const std::vector<TableRow>& rows);

// "465.762 GiB", or "---" as the drive list writes an unknown capacity.
std::string CapacityText(const std::string& driveCapacity);

// "2026-12-10" of "2026-12-10T08:01:02Z".
std::string DateText(const std::string& submittedUtc);

}  // namespace qm
