// One result: its fields, its report, where it stands among the reference
// drives and among all results, and its validation file to download.
#pragma once

#include <string>
#include <vector>

#include "results/result_record.h"

namespace qm {

enum class ArrivalNotice { None, Added, Duplicate };

struct ResultView {
  ResultRecord record;                  // with its report
  std::vector<SpeedCount> speedCounts;  // every stored speed with its count, this one included
  ArrivalNotice notice = ArrivalNotice::None;
  std::string deleteToken;  // just sent: the sender's delete token, shown with its link
};

// The share of results strictly slower than speed, in whole per cent
// (rounded down): "faster than P % of results".
int FasterThanPercent(double speed, const std::vector<SpeedCount>& speedCounts);

constexpr int HISTOGRAM_BINS = 52;

// How many speeds fall into each bin of the board's scale.
std::vector<int64_t> HistogramCounts(const std::vector<SpeedCount>& speedCounts);
int HistogramBin(double speed);

std::string ResultPageHtml(const ResultView& view);

}  // namespace qm
