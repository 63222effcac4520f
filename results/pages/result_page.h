// One result: its fields, its report, where it stands among the reference
// drives and among all results, and its validation file to download.
#pragma once

#include <string>
#include <vector>

#include "results/result_record.h"
#include "results/speed_bins.h"

namespace qm {

enum class ArrivalNotice { None, Added, Duplicate };

struct ResultView {
  ResultRecord record;     // with its report
  SpeedStanding standing;  // among all results, this one included
  ArrivalNotice notice = ArrivalNotice::None;
  std::string deleteToken;  // just sent: the sender's delete token, shown with its link
};

// The share of results strictly slower, in whole per cent (rounded down):
// "faster than P % of results".
int FasterThanPercent(const SpeedStanding& standing);

// Where a speed stands among every stored speed, each of them read: what
// the kept counts (GetSpeedStanding) give without reading them.
SpeedStanding StandingAmong(double speed, const std::vector<SpeedCount>& speedCounts);

std::string ResultPageHtml(const ResultView& view);

}  // namespace qm
