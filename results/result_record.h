// One result on the board: what a checked validation file holds, as kept.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "export/report_fields.h"

namespace qm {

// The report's own fields, and what the board adds to them.
struct ResultRecord : ReportFields {
  int64_t id = 0;                 // given by the store
  std::string reportSha256;       // lower-case hex of the report bytes; one result per report
  std::string submittedUtc;       // "2026-12-10T08:01:02Z", given by the store
  std::string report;             // the decrypted report bytes
  std::string validationFile;     // the .verify bytes as received
  std::string deleteTokenSha256;  // lower-case hex of the sender's delete token; empty: none was given
  // Beyond its drive model's far-out fences (outlier_fences.h): set by
  // MarkOutliers for the pages and exports, never stored.
  bool outlier = false;
};

// A listing: results ranked fastest first (smallest averageMs, then lowest id).
struct ResultQuery {
  std::string text;  // matched, case-insensitively, as a substring of drive model or processor; empty: all
  std::string driveModel;  // exact drive model; empty: any
  int64_t offset = 0;
  int64_t limit = 50;
  // A page that follows the result (afterAverageMs, afterId) in the ranking
  // rather than skipping offset results: the index is entered at that
  // point, however deep. Served without a text, or with a text the trigram
  // index serves (IndexServesSearch) and no drive model; offset is then not
  // used.
  bool after = false;
  int64_t afterAverageMs = 0;
  int64_t afterId = 0;
  // The search is known to match more than SEARCH_TOTAL_CAP results (the
  // store noted it lately): the page says so without counting them again.
  bool knownCapped = false;
};

// A search counts its matches up to this many and says "more than" beyond.
constexpr int64_t SEARCH_TOTAL_CAP = 10000;
// The trigram indexes serve searches of at least this many characters; the
// board asks for as many.
constexpr size_t MIN_SEARCH_CHARACTERS = 3;

struct ResultPage {
  int64_t total = 0;                  // results matching the query, before offset and limit
  bool totalCapped = false;           // a search matched more than total (SEARCH_TOTAL_CAP)
  std::vector<ResultRecord> results;  // report and validationFile left empty in listings
};

struct DriveSummary {
  std::string model;
  int64_t count = 0;
  double medianSpeed = 0;  // MB/s
  double bestSpeed = 0;
  double worstSpeed = 0;
  // The speeds a quarter and three quarters of the way from the slowest,
  // each the middle of its half as the median is of all.
  double lowerQuartileSpeed = 0;
  double upperQuartileSpeed = 0;
};

// How many results have one speed: the board's distribution, as kept.
struct SpeedCount {
  double speed = 0;  // MB/s
  int64_t count = 0;
};

// Where one result's speed stands among all results, from the counts the
// store keeps: how many results fall in each bin of the histogram
// (speed_bins.h), how many there are, and how many are strictly slower.
struct SpeedStanding {
  std::vector<int64_t> binCounts;  // HISTOGRAM_BINS of them
  int64_t total = 0;
  int64_t slower = 0;
};

// The speed of a result in MB/s, from its average, as the program computes it.
double ResultSpeed(const ResultRecord& record);

}  // namespace qm
