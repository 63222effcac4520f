// The leaderboard: every result ranked by speed, a page at a time, with the
// reference drives among them at their speeds, and the search box.
#pragma once

#include <cmath>
#include <string>
#include <vector>

#include "results/result_record.h"

namespace qm {

constexpr int64_t LEADERBOARD_PAGE_SIZE = 50;

struct LeaderboardView {
  std::string searchText;
  int64_t pageNumber = 1;  // from 1
  ResultPage page;         // this page's results and the number of all that match
  // The speed of the last result of the page before, INFINITY on the first:
  // references faster than it were shown there.
  double speedAbove = INFINITY;
};

int64_t PageCount(int64_t total);

// "&amp;after=AVERAGE-ID" of the last result shown, for the link to the next
// page, which then starts from there in the index; nothing on an empty page.
std::string AfterParameter(const ResultPage& page);

// The references (indexes into ReferenceDrives) that fall on this page: each
// reference is on exactly one page, the one its speed sorts into. None while
// searching.
std::vector<int> ReferencesOnPage(const LeaderboardView& view);

std::string LeaderboardPage(const LeaderboardView& view);

}  // namespace qm
