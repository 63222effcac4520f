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

// A drive that the sender's drive list leaves out (a network drive, a UNC
// folder, tmpfs) has neither capacity nor model on record.
constexpr char NOT_IN_DRIVE_LIST[] = "not in the drive list";
bool InDriveList(const ResultRecord& r);

// The drive model as pages show it: "(no model given)" when the list gives
// none, NOT_IN_DRIVE_LIST when the drive is not in it. Not escaped.
std::string ModelText(const ResultRecord& r);

// What the outlier mark says, and the mark itself: a badge whose title
// explains it, after the model of every result beyond its model's fences.
constexpr char OUTLIER_EXPLANATION[] =
    "An outlier: far from the other results of this drive model, beyond three times the spread of "
    "their middle half, on a log scale of speed. It stays on the board as it was sent.";
std::string OutlierMark();

// "2026-12-10" of "2026-12-10T08:01:02Z".
std::string DateText(const std::string& submittedUtc);

}  // namespace qm
