// The storage seam of the board: one API over SQLite (embedded) and
// PostgreSQL (shared server). Every call may come from any server thread at
// once; each backend makes that safe. Every value is bound to a prepared
// statement, never spliced into SQL. No call throws.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "results/outlier_fences.h"
#include "results/result_record.h"

namespace qm {

enum class StoreStatus { Ok, Duplicate, NotFound, Failed };

struct ResultStore;  // opaque: one open database

// Opens "sqlite:PATH" or "postgresql://…" (a libpq URI), creating or
// migrating the schema. On failure returns nullptr and says why in *error.
ResultStore* OpenResultStore(const std::string& url, std::string* error);

// How long a call waits for a lock held by another program (or for its
// turn among this program's writers) before it fails. The board keeps it
// short, so an upload behind a held lock is refused at once and retried,
// rather than holding a worker for half a minute.
struct StoreOptions {
  int64_t lockWaitMs = 30000;
  // The commands that read or change a board that is there (backup,
  // delete) set it, so a mistyped SQLite path is an error rather than a new,
  // empty board.
  bool mustExist = false;
  // SQLite's page cache per connection, in MB; 0: SQLite's own (2 MB). The
  // import commands take a large one: a big board's indexes take rows at
  // scattered places, and each page missing from the cache is a read.
  int64_t cacheMb = 0;
};
ResultStore* OpenResultStore(const std::string& url, const StoreOptions& options, std::string* error);
void CloseResultStore(ResultStore* store);

// Stores a checked result. Fills record->id and record->submittedUtc.
// A report already stored (same reportSha256) gives Duplicate, with
// record->id set to the stored result's id and nothing written.
StoreStatus AddResult(ResultStore* store, ResultRecord* record);

// Several checked results in one transaction: far faster than one by one
// where every commit waits for the disk. (*statuses)[i] is Ok or Duplicate
// for (*records)[i], as AddResult gives them; on Failed none is stored and
// every status is Failed.
StoreStatus AddResults(ResultStore* store, std::vector<ResultRecord>* records,
                       std::vector<StoreStatus>* statuses);

// One result with its report and validation file.
StoreStatus GetResult(ResultStore* store, int64_t id, ResultRecord* record);

// query.limit is held to 0..1000 and a negative offset counts as 0. The
// text is matched with ASCII letters folded, as drive models and processor
// names are written.
StoreStatus ListResults(ResultStore* store, const ResultQuery& query, ResultPage* page);

// Every result as listed (no report, no validation file), fastest first,
// read in one read transaction: one snapshot of the board, whatever
// arrives or goes meanwhile. Each is handed to take as it is read, so the
// whole is never held; take returns false to stop (its reader went away),
// which is still Ok.
using ResultTaker = std::function<bool(const ResultRecord& record)>;
StoreStatus ExportResults(ResultStore* store, const ResultTaker& take);

// For backups: every result whole (report and validation file too), by
// id, in one read transaction, as ExportResults hands them over.
StoreStatus ExportWholeResults(ResultStore* store, const ResultTaker& take);

// Stores results as another board kept them: their ids, times and files
// as given, all in one transaction (on Failed none is stored). An id or a
// report already stored fails the lot.
StoreStatus RestoreResults(ResultStore* store, const std::vector<ResultRecord>& records);

// A SQLite board only: its file copied to path by SQLite's online backup,
// one consistent copy while the board serves. Failed on another database.
StoreStatus BackupDatabase(ResultStore* store, const std::string& path);

// "sqlite" or "postgres".
std::string StoreKind(ResultStore* store);

// Whether a search text has MIN_SEARCH_CHARACTERS, which the trigram
// indexes serve; the store matches a shorter one by reading every result,
// so the board refuses it.
bool IndexServesSearch(const std::string& text);

// One row per drive model, fastest median first, then most results, then by model. The counts
// are exact (kept by the database); a model's speeds are read again only
// when more than 1 % of its results have come or gone since they were last
// read by this store, so its median, quartiles, best and worst lag by at
// most that much.
StoreStatus ListDrives(ResultStore* store, std::vector<DriveSummary>* drives);

// Sets each result's outlier mark from the fences of its drive model
// (outlier_fences.h), taken from the model's figures as ListDrives keeps
// them: the count is exact, so a model crosses OUTLIER_MIN_RESULTS at
// once; the quartiles lag by at most 1 % of the model's results (none for
// a model of under 100, none after a delete).
StoreStatus MarkOutliers(ResultStore* store, std::vector<ResultRecord>* results);

// The fences of every drive model, by model, for marking a whole export.
StoreStatus AllOutlierFences(ResultStore* store, std::map<std::string, OutlierFences>* fences);

// One drive model's figures, and a sample of its speeds kept with them:
// every speed of a model of up to DRIVE_SAMPLE_SIZE results, else that
// many evenly spaced by rank, the best and worst among them. NotFound when
// the model has no results.
constexpr size_t DRIVE_SAMPLE_SIZE = 400;
struct DriveFigures {
  DriveSummary summary;
  std::vector<double> sampleSpeeds;  // MB/s, fastest first
};
StoreStatus GetDriveFigures(ResultStore* store, const std::string& model, DriveFigures* figures);

// The number of results at each stored speed, from counts the database
// keeps: the distribution chart and a result's place among all.
StoreStatus SpeedCounts(ResultStore* store, std::vector<SpeedCount>* counts);

// Where a result of this average stands among all results, from the
// counts the database keeps per bin and per average: the bins, and only
// the averages of its own bin for how many are slower; read in one
// statement, so the figures are of one moment.
StoreStatus GetSpeedStanding(ResultStore* store, int64_t averageMs, SpeedStanding* standing);

// The SHA-256 (hex) of a result's delete token, "" for a result stored
// without one; NotFound when there is no result id.
StoreStatus GetDeleteTokenSha256(ResultStore* store, int64_t id, std::string* sha256);

// Removes a result, and with it its share of every count and figure the
// store keeps; NotFound when there is no result id. A report sent again
// afterwards gets a new id.
StoreStatus DeleteResult(ResultStore* store, int64_t id);

// What went wrong in the last Failed call of this thread, for logs and errors.
std::string StoreError(ResultStore* store);

}  // namespace qm
