// One read per resource for a page and its JSON twin.
#include "results/page_reads.h"

namespace qm {

StoreStatus ReadListing(ResultStore* store, const ResultQuery& base, ListingData* data) {
  *data = ListingData();
  ResultQuery query = base;
  const bool before = !query.after && query.offset > 0;
  if (query.after) {
    ResultRecord above;
    above.averageMs = query.afterAverageMs;
    data->speedAbove = ResultSpeed(above);
  } else if (before) {
    // One result more, from just before the page, for its speed.
    query.offset -= 1;
    query.limit += 1;
  }
  StoreStatus status = ListResults(store, query, &data->page);
  if (status != StoreStatus::Ok) return status;
  auto& results = data->page.results;
  if (before && !results.empty()) {
    data->speedAbove = ResultSpeed(results.front());
    results.erase(results.begin());
  }
  return MarkOutliers(store, &results);
}

StoreStatus ReadResult(ResultStore* store, int64_t id, ResultData* data) {
  *data = ResultData();
  StoreStatus status = GetResult(store, id, &data->record);
  if (status != StoreStatus::Ok) return status;
  std::vector<ResultRecord> one(1);
  one.front() = std::move(data->record);
  status = MarkOutliers(store, &one);
  data->record = std::move(one.front());
  return status != StoreStatus::Ok ? status
                                   : GetSpeedStanding(store, data->record.averageMs, &data->standing);
}

StoreStatus ReadDrivePage(ResultStore* store, const std::string& model, const ResultQuery& paging,
                          int64_t pageNumber, DrivePageData* data) {
  *data = DrivePageData();
  StoreStatus status = GetDriveFigures(store, model, &data->figures);
  if (status != StoreStatus::Ok) return status;
  data->fences = FencesOf(data->figures.summary);
  data->pageNumber = pageNumber;
  data->offset = paging.offset;
  data->limit = paging.limit;
  ResultQuery query = paging;
  query.text.clear();
  query.driveModel = model;
  if ((status = ListResults(store, query, &data->page)) != StoreStatus::Ok) return status;
  if (data->page.total == 0) return StoreStatus::NotFound;  // gone since its figures were read
  for (ResultRecord& record : data->page.results)
    record.outlier = IsOutlier(data->fences, ResultSpeed(record));
  return StoreStatus::Ok;
}

}  // namespace qm
