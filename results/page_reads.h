// What each board page and its JSON twin show, read by one function per
// resource: the HTML and the JSON render from the same struct, so the two
// cannot come to tell different stories. (/drives and /api/drives both
// read ListDrives.)
#pragma once

#include <cmath>
#include <string>
#include <vector>

#include "results/result_store.h"

namespace qm {

// The leaderboard, a search, /api/results: a page of results, outliers
// marked.
struct ListingData {
  ResultPage page;
  // The speed of the result just before the page (INFINITY on the first),
  // which says which reference drives the page before showed.
  double speedAbove = INFINITY;
};
StoreStatus ReadListing(ResultStore* store, const ResultQuery& query, ListingData* data);

// One result, its outlier mark, and its place among all.
struct ResultData {
  ResultRecord record;  // with its report
  SpeedStanding standing;
};
StoreStatus ReadResult(ResultStore* store, int64_t id, ResultData* data);

// One drive model: its figures and spread, its fences, and one page of its
// results, outliers marked. paging gives offset, limit or after, as a
// ResultQuery does; NotFound when the model has no results.
struct DrivePageData {
  DriveFigures figures;
  OutlierFences fences;
  int64_t pageNumber = 1;
  int64_t offset = 0;
  int64_t limit = 0;
  ResultPage page;
};
StoreStatus ReadDrivePage(ResultStore* store, const std::string& model, const ResultQuery& paging,
                          int64_t pageNumber, DrivePageData* data);

}  // namespace qm
