// The storage seam: picks the backend by the URL's form and keeps what is
// common to both (the submission time, the search key, the drive figures,
// the last error of each thread).
#include <sys/stat.h>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <map>
#include <mutex>

#include "results/capped_searches.h"
#include "results/page_starts.h"
#include "results/speed_bins.h"
#include "results/store_backend.h"
#include "results/utc_now.h"

// A drive model's figures as this store last read them, and the model's
// number of changes then.
struct KeptFigures {
  qm::DriveSummary summary;
  int64_t changes = 0;
  std::vector<double> sampleSpeeds;  // as DriveFigures has them
};

struct qm::ResultStore {
  const StoreBackend* backend = nullptr;
  void* db = nullptr;
  // Figures are read again by one caller at a time; the others wait for
  // them rather than read the same speeds too.
  std::mutex figuresMutex;
  std::map<std::string, KeptFigures> figures;
  CappedSearches cappedSearches;
  PageStarts pageStarts;
};

namespace qm {
namespace {

constexpr std::string_view SQLITE_PREFIX = "sqlite:";
constexpr std::string_view POSTGRES_PREFIXES[] = {"postgresql://", "postgres://"};

// The last error of each thread, per store.
thread_local std::map<const ResultStore*, std::string> lastErrors;

StoreStatus Noted(const ResultStore* store, StoreStatus status, const std::string& error) {
  if (status == StoreStatus::Failed) lastErrors[store] = error;
  return status;
}

double SpeedOf(int64_t averageMs) {
  ResultRecord record;
  record.averageMs = averageMs;
  return ResultSpeed(record);
}

// Of speeds in the order of their averages, from first to first + n: the
// middle one, or the mean of the middle two.
double MedianSpeed(const std::vector<int64_t>& sortedAverages, size_t first, size_t n) {
  return (SpeedOf(sortedAverages[first + (n - 1) / 2]) + SpeedOf(sortedAverages[first + n / 2])) / 2;
}

DriveSummary FiguresOf(const std::string& model, const std::vector<int64_t>& sorted) {
  const size_t n = sorted.size(), half = (n + 1) / 2;
  DriveSummary summary;
  summary.model = model;
  summary.count = static_cast<int64_t>(n);
  summary.medianSpeed = MedianSpeed(sorted, 0, n);
  summary.upperQuartileSpeed = MedianSpeed(sorted, 0, half);
  summary.lowerQuartileSpeed = MedianSpeed(sorted, n - half, half);
  summary.bestSpeed = SpeedOf(sorted.front());
  summary.worstSpeed = SpeedOf(sorted.back());
  return summary;
}

// At most DRIVE_SAMPLE_SIZE speeds, evenly spaced by rank from the fastest
// to the slowest, so the sample keeps the shape of the whole.
std::vector<double> SampleOf(const std::vector<int64_t>& sorted) {
  const size_t n = sorted.size(), take = std::min(n, DRIVE_SAMPLE_SIZE);
  std::vector<double> speeds;
  speeds.reserve(take);
  for (size_t i = 0; i < take; ++i)
    speeds.push_back(SpeedOf(sorted[take == 1 ? 0 : i * (n - 1) / (take - 1)]));
  return speeds;
}

// Whether figures taken at (count, changes) still stand: fewer than 1 % of
// the model's results have come or gone since.
bool StillStands(const KeptFigures& kept, const DriveCount& now) {
  return std::llabs(now.changes - kept.changes) * 100 <= kept.summary.count;
}

}  // namespace

std::string FoldedText(const std::string& text) {
  std::string folded = text;
  for (char& c : folded)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return folded;
}

std::array<std::string*, RECORD_TEXT_COUNT> RecordTexts(ResultRecord* r) {
  return {&r->reportSha256, &r->edition,   &r->processor,   &r->board,          &r->graphics,
          &r->totalMemory,  &r->osName,    &r->osBuild,     &r->driveUnderTest, &r->driveCapacity,
          &r->driveModel,   &r->speedText, &r->submittedUtc};
}

std::array<const std::string*, RECORD_TEXT_COUNT> RecordTexts(const ResultRecord& record) {
  std::array<const std::string*, RECORD_TEXT_COUNT> texts;
  auto fields = RecordTexts(const_cast<ResultRecord*>(&record));
  for (size_t i = 0; i < RECORD_TEXT_COUNT; ++i) texts[i] = fields[i];
  return texts;
}

bool IndexServesSearch(const std::string& text) {
  size_t characters = 0;
  for (char c : text)
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++characters;
  return characters >= MIN_SEARCH_CHARACTERS;
}

std::string SearchKey(const ResultRecord& record) {
  return FoldedText(record.driveModel) + "\n" + FoldedText(record.processor);
}

ResultStore* OpenResultStore(const std::string& url, std::string* error) {
  return OpenResultStore(url, StoreOptions(), error);
}

ResultStore* OpenResultStore(const std::string& url, const StoreOptions& options, std::string* error) {
  const StoreBackend* backend = nullptr;
  void* db = nullptr;
  if (url.substr(0, SQLITE_PREFIX.size()) == SQLITE_PREFIX) {
    backend = &SQLITE_BACKEND;
    const std::string path = url.substr(SQLITE_PREFIX.size());
    struct stat file {};
    if (options.mustExist && stat(path.c_str(), &file) != 0) {
      *error = "there is no database at " + path;
      return nullptr;
    }
    db = OpenSqliteDatabase(path, options, error);
  } else if (std::any_of(std::begin(POSTGRES_PREFIXES), std::end(POSTGRES_PREFIXES),
                         [&](std::string_view prefix) { return url.substr(0, prefix.size()) == prefix; })) {
    backend = &POSTGRES_BACKEND;
    db = OpenPostgresDatabase(url, options.lockWaitMs, error);
  } else {
    *error = "unknown database \"" + url + "\": give sqlite:PATH or postgresql://...";
    return nullptr;
  }
  if (db == nullptr) return nullptr;
  auto* store = new ResultStore;
  store->backend = backend;
  store->db = db;
  return store;
}

void CloseResultStore(ResultStore* store) {
  if (store == nullptr) return;
  store->backend->close(store->db);
  lastErrors.erase(store);
  delete store;
}

StoreStatus AddResult(ResultStore* store, ResultRecord* record) {
  record->submittedUtc = UtcNow();
  const std::string key = SearchKey(*record);
  StoreStatus status = StoreStatus::Failed;
  std::string error;
  store->backend->add(store->db, &record, &key, 1, &status, &error);
  return Noted(store, status, error);
}

StoreStatus AddResults(ResultStore* store, std::vector<ResultRecord>* records,
                       std::vector<StoreStatus>* statuses) {
  const std::string now = UtcNow();
  std::vector<ResultRecord*> pointers;
  std::vector<std::string> keys;
  for (ResultRecord& record : *records) {
    record.submittedUtc = now;
    pointers.push_back(&record);
    keys.push_back(SearchKey(record));
  }
  statuses->assign(records->size(), StoreStatus::Failed);
  if (records->empty()) return StoreStatus::Ok;
  std::string error;
  StoreStatus status =
      store->backend->add(store->db, pointers.data(), keys.data(), pointers.size(), statuses->data(), &error);
  if (status == StoreStatus::Failed) statuses->assign(records->size(), StoreStatus::Failed);
  return Noted(store, status == StoreStatus::Failed ? status : StoreStatus::Ok, error);
}

StoreStatus GetResult(ResultStore* store, int64_t id, ResultRecord* record) {
  std::string error;
  return Noted(store, store->backend->get(store->db, id, record, &error), error);
}

namespace {

// A deep page of a ranking: entered after its kept start while the ranking
// still has the count it was found at, else found by offset, one result
// early, so that its start can be kept.
StoreStatus ListDeepPage(ResultStore* store, const ResultQuery& query, ResultPage* page, std::string* error) {
  const std::string key = PageKey(query.driveModel, query.offset);
  PageStart start;
  if (FindKept(&store->pageStarts, key, &start)) {
    ResultQuery entered = query;
    entered.after = true;
    entered.afterAverageMs = start.averageMs;
    entered.afterId = start.id;
    const StoreStatus status = store->backend->list(store->db, entered, page, error);
    if (status != StoreStatus::Ok || page->total == start.total) return status;
    page->results.clear();
  }
  ResultQuery early = query;
  early.offset = query.offset - 1;
  early.limit = query.limit + 1;
  const StoreStatus status = store->backend->list(store->db, early, page, error);
  if (status != StoreStatus::Ok || page->results.empty()) return status;
  const ResultRecord& before = page->results.front();
  Keep(&store->pageStarts, key, PageStart{page->total, before.averageMs, before.id});
  page->results.erase(page->results.begin());
  return StoreStatus::Ok;
}

}  // namespace

StoreStatus ListResults(ResultStore* store, const ResultQuery& query, ResultPage* page) {
  ResultQuery folded = query;
  folded.text = FoldedText(query.text);
  folded.offset = std::max<int64_t>(query.offset, 0);
  folded.limit = std::clamp<int64_t>(query.limit, 0, 1000);
  page->total = 0;
  page->results.clear();
  std::string error;
  if (folded.text.empty() && !folded.after && folded.offset >= DEEP_PAGE_OFFSET && folded.limit > 0)
    return Noted(store, ListDeepPage(store, folded, page, &error), error);
  const std::string search = SearchKey(folded.text, folded.driveModel);
  bool capped = false;
  folded.knownCapped = !folded.text.empty() && FindKept(&store->cappedSearches, search, &capped);
  const StoreStatus status = store->backend->list(store->db, folded, page, &error);
  if (status == StoreStatus::Ok && page->totalCapped && !folded.knownCapped)
    Keep(&store->cappedSearches, search, true);
  return Noted(store, status, error);
}

namespace {

// The model's kept figures, read again unless they still stand (their
// count is the one they were read at; callers show the exact one); nullptr in *figures when the model has
// gone since it was counted. The caller holds figuresMutex.
StoreStatus FreshFigures(ResultStore* store, const DriveCount& count, KeptFigures** figures,
                         std::string* error) {
  *figures = nullptr;
  auto kept = store->figures.find(count.model);
  if (kept == store->figures.end() || !StillStands(kept->second, count)) {
    std::vector<int64_t> averages;
    const StoreStatus status = store->backend->modelAverages(store->db, count.model, &averages, error);
    if (status != StoreStatus::Ok) return status;
    if (averages.empty()) return StoreStatus::Ok;
    kept = store->figures
               .insert_or_assign(count.model, KeptFigures{FiguresOf(count.model, averages), count.changes,
                                                          SampleOf(averages)})
               .first;
  }
  *figures = &kept->second;
  return StoreStatus::Ok;
}

// The kept figures of the models named (each once), by model, their counts
// read MODEL_COUNTS_BATCH at a time; a model with no results is left out.
StoreStatus FiguresOfModels(ResultStore* store, const std::vector<std::string>& models,
                            std::map<std::string, DriveSummary>* summaries, std::string* error) {
  std::vector<DriveCount> counts;
  for (size_t first = 0; first < models.size(); first += MODEL_COUNTS_BATCH) {
    counts.clear();
    const size_t n = std::min(MODEL_COUNTS_BATCH, models.size() - first);
    StoreStatus status = store->backend->driveCounts(store->db, &models[first], n, &counts, error);
    if (status != StoreStatus::Ok) return status;
    std::lock_guard<std::mutex> lock(store->figuresMutex);
    for (const DriveCount& count : counts) {
      KeptFigures* figures = nullptr;
      if ((status = FreshFigures(store, count, &figures, error)) != StoreStatus::Ok) return status;
      if (figures != nullptr)
        summaries->insert_or_assign(count.model, figures->summary).first->second.count = count.count;
    }
  }
  return StoreStatus::Ok;
}

}  // namespace

StoreStatus ListDrives(ResultStore* store, std::vector<DriveSummary>* drives) {
  drives->clear();
  std::vector<DriveCount> counts;
  std::string error;
  StoreStatus status = store->backend->driveCounts(store->db, nullptr, 0, &counts, &error);
  if (status != StoreStatus::Ok) return Noted(store, status, error);
  std::lock_guard<std::mutex> lock(store->figuresMutex);
  std::map<std::string, KeptFigures> fresh;
  for (const DriveCount& count : counts) {
    KeptFigures* figures = nullptr;
    status = FreshFigures(store, count, &figures, &error);
    if (status != StoreStatus::Ok) return Noted(store, status, error);
    if (figures == nullptr) continue;  // gone since it was counted
    drives->push_back(figures->summary);
    drives->back().count = count.count;
    fresh.emplace(count.model, std::move(*figures));
  }
  store->figures = std::move(fresh);  // models that are gone are forgotten
  // By median: one fast or slow outlier moves a mean, hardly a median.
  std::stable_sort(drives->begin(), drives->end(), [](const DriveSummary& a, const DriveSummary& b) {
    if (a.medianSpeed != b.medianSpeed) return a.medianSpeed > b.medianSpeed;
    return a.count != b.count ? a.count > b.count : a.model < b.model;
  });
  return StoreStatus::Ok;
}

StoreStatus MarkOutliers(ResultStore* store, std::vector<ResultRecord>* results) {
  std::vector<std::string> models;
  for (const ResultRecord& record : *results) models.push_back(record.driveModel);
  std::sort(models.begin(), models.end());
  models.erase(std::unique(models.begin(), models.end()), models.end());
  std::map<std::string, DriveSummary> summaries;
  std::string error;
  const StoreStatus status = FiguresOfModels(store, models, &summaries, &error);
  if (status != StoreStatus::Ok) return Noted(store, status, error);
  for (ResultRecord& record : *results) {
    auto found = summaries.find(record.driveModel);
    record.outlier = found != summaries.end() && IsOutlier(FencesOf(found->second), ResultSpeed(record));
  }
  return StoreStatus::Ok;
}

StoreStatus AllOutlierFences(ResultStore* store, std::map<std::string, OutlierFences>* fences) {
  fences->clear();
  std::vector<DriveSummary> drives;
  const StoreStatus status = ListDrives(store, &drives);
  if (status != StoreStatus::Ok) return status;
  for (const DriveSummary& drive : drives) fences->emplace(drive.model, FencesOf(drive));
  return StoreStatus::Ok;
}

StoreStatus GetDriveFigures(ResultStore* store, const std::string& model, DriveFigures* figures) {
  *figures = DriveFigures();
  std::vector<DriveCount> counts;
  std::string error;
  StoreStatus status = store->backend->driveCounts(store->db, &model, 1, &counts, &error);
  if (status != StoreStatus::Ok) return Noted(store, status, error);
  if (counts.empty()) return StoreStatus::NotFound;
  std::lock_guard<std::mutex> lock(store->figuresMutex);
  KeptFigures* kept = nullptr;
  status = FreshFigures(store, counts.front(), &kept, &error);
  if (status != StoreStatus::Ok) return Noted(store, status, error);
  if (kept == nullptr) return StoreStatus::NotFound;
  figures->summary = kept->summary;
  figures->summary.count = counts.front().count;
  figures->sampleSpeeds = kept->sampleSpeeds;
  return StoreStatus::Ok;
}

StoreStatus SpeedCounts(ResultStore* store, std::vector<SpeedCount>* counts) {
  counts->clear();
  std::vector<std::pair<int64_t, int64_t>> averages;
  std::string error;
  StoreStatus status = store->backend->averageCounts(store->db, &averages, &error);
  if (status != StoreStatus::Ok) return Noted(store, status, error);
  counts->reserve(averages.size());
  for (const auto& [average, count] : averages) counts->push_back({SpeedOf(average), count});
  return StoreStatus::Ok;
}

// Every bin below the result's own is slower; within its own bin, the
// averages longer than the longest as fast as it are.
StoreStatus GetSpeedStanding(ResultStore* store, int64_t averageMs, SpeedStanding* standing) {
  *standing = SpeedStanding();
  standing->binCounts.assign(HISTOGRAM_BINS, 0);
  const int own = HistogramBin(SpeedOf(averageMs));
  int64_t slowerInBin = 0;
  std::string error;
  const StoreStatus status =
      store->backend->binCounts(store->db, LongestAverageAsFastAs(averageMs), HighestAverageInBin(own),
                                standing->binCounts.data(), &slowerInBin, &error);
  if (status != StoreStatus::Ok) return Noted(store, status, error);
  for (int bin = 0; bin < HISTOGRAM_BINS; ++bin) {
    standing->total += standing->binCounts[bin];
    if (bin < own) standing->slower += standing->binCounts[bin];
  }
  standing->slower += slowerInBin;
  return StoreStatus::Ok;
}

StoreStatus ExportResults(ResultStore* store, const ResultTaker& take) {
  std::string error;
  return Noted(store, store->backend->exportAll(store->db, take, &error), error);
}

StoreStatus ExportWholeResults(ResultStore* store, const ResultTaker& take) {
  std::string error;
  return Noted(store, store->backend->exportWhole(store->db, take, &error), error);
}

StoreStatus RestoreResults(ResultStore* store, const std::vector<ResultRecord>& records) {
  if (records.empty()) return StoreStatus::Ok;
  std::vector<std::string> keys;
  keys.reserve(records.size());
  for (const ResultRecord& record : records) keys.push_back(SearchKey(record));
  std::string error;
  return Noted(store, store->backend->restore(store->db, records.data(), keys.data(), records.size(), &error),
               error);
}

StoreStatus BackupDatabase(ResultStore* store, const std::string& path) {
  if (store->backend->backupTo == nullptr)
    return Noted(store, StoreStatus::Failed, "this database has no file to copy");
  std::string error;
  return Noted(store, store->backend->backupTo(store->db, path, &error), error);
}

std::string StoreKind(ResultStore* store) { return store->backend->kind; }

StoreStatus GetDeleteTokenSha256(ResultStore* store, int64_t id, std::string* sha256) {
  sha256->clear();
  std::string error;
  return Noted(store, store->backend->deleteTokenSha256(store->db, id, sha256, &error), error);
}

StoreStatus DeleteResult(ResultStore* store, int64_t id) {
  std::string error;
  const StoreStatus status = store->backend->remove(store->db, id, &error);
  if (status == StoreStatus::Ok) {
    // A deleted result leaves its model's figures at once, not after 1 %
    // of the model has changed: they are all read again.
    std::lock_guard<std::mutex> lock(store->figuresMutex);
    store->figures.clear();
    ForgetKept(&store->cappedSearches);
    ForgetKept(&store->pageStarts);
  }
  return Noted(store, status, error);
}

std::string StoreError(ResultStore* store) {
  auto found = lastErrors.find(store);
  return found == lastErrors.end() ? std::string() : found->second;
}

}  // namespace qm
