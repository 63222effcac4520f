// What each database backend gives the storage seam: a table of
// operations over its own opaque database, as result_store.h describes
// them. The seam fills the record's submission time and search key before
// add, so every backend stores the same values.
#pragma once

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "results/result_store.h"

namespace qm {

struct DriveCount {
  std::string model;
  int64_t count = 0;
  int64_t changes = 0;  // results added and removed, ever
};

struct StoreBackend {
  // Closes every connection; no call may be running.
  void (*close)(void* db);
  // Inserts each record unless its reportSha256 is stored already (then
  // Duplicate, with the record's id the stored one's); several records go
  // in one transaction, so on Failed none of them is stored. keys[i] is
  // what text queries match records[i] against.
  StoreStatus (*add)(void* db, ResultRecord* const* records, const std::string* keys, size_t count,
                     StoreStatus* statuses, std::string* error);
  StoreStatus (*get)(void* db, int64_t id, ResultRecord* record, std::string* error);
  // query.text arrives already folded as searchKey is.
  StoreStatus (*list)(void* db, const ResultQuery& query, ResultPage* page, std::string* error);
  // Every drive model with its kept count and number of changes; when
  // models is not nullptr, only the modelCount (1 to MODEL_COUNTS_BATCH)
  // named there that have results, in one statement.
  StoreStatus (*driveCounts)(void* db, const std::string* models, size_t modelCount,
                             std::vector<DriveCount>* counts, std::string* error);
  // The averages of one model's results, ascending, from its index alone.
  StoreStatus (*modelAverages)(void* db, const std::string& model, std::vector<int64_t>* averages,
                               std::string* error);
  // (averageMs, results) for every stored average, ascending.
  StoreStatus (*averageCounts)(void* db, std::vector<std::pair<int64_t, int64_t>>* counts,
                               std::string* error);
  // As ExportResults: every listed row, fastest first, in one read transaction.
  StoreStatus (*exportAll)(void* db, const ResultTaker& take, std::string* error);
  // As ExportWholeResults and RestoreResults; keys[i] as add has them.
  StoreStatus (*exportWhole)(void* db, const ResultTaker& take, std::string* error);
  StoreStatus (*restore)(void* db, const ResultRecord* records, const std::string* keys, size_t count,
                         std::string* error);
  // As BackupDatabase; nullptr where the database has no such copy.
  StoreStatus (*backupTo)(void* db, const std::string& path, std::string* error);
  const char* kind;
  StoreStatus (*deleteTokenSha256)(void* db, int64_t id, std::string* sha256, std::string* error);
  StoreStatus (*remove)(void* db, int64_t id, std::string* error);
  // Adds the kept count of each histogram bin to binCounts[bin]
  // (HISTOGRAM_BINS of them), and gives in *between how many results have
  // an average above longerThan and at most upTo; one statement.
  StoreStatus (*binCounts)(void* db, int64_t longerThan, int64_t upTo, int64_t* binCounts, int64_t* between,
                           std::string* error);
};

// The record's text columns, in the order of RECORD_TEXT_COLUMNS; every
// statement of both backends names them so, then average_ms.
#define QM_RECORD_TEXT_COLUMNS                                                            \
  "report_sha256, edition, processor, board, graphics, total_memory, os_name, os_build, " \
  "drive_under_test, drive_capacity, drive_model, speed_text, submitted_utc"
constexpr size_t RECORD_TEXT_COUNT = 13;

// The unfiltered listing in both dialects: LIMIT and OFFSET bind the first
// and second parameters.
#define QM_LIST_ALL_RESULTS(LIMIT, OFFSET)                                          \
  "SELECT r.id, " QM_RECORD_TEXT_COLUMNS                                            \
  ", average_ms FROM"                                                               \
  " (SELECT id FROM results ORDER BY average_ms, id LIMIT " LIMIT " OFFSET " OFFSET \
  ") AS p"                                                                          \
  " JOIN results AS r ON r.id = p.id ORDER BY average_ms, r.id"

// A listing's rows for the ids that INNER (a query of ids alone, in rank
// order, from an index) gives: no row is read but those shown.
#define QM_PAGE_OF(INNER)                                              \
  "SELECT r.id, " QM_RECORD_TEXT_COLUMNS ", r.average_ms FROM (" INNER \
  ") AS p JOIN results AS r ON r.id = p.id ORDER BY r.average_ms, r.id"

// The histogram bin of an average (speed_bins.h) in either dialect: the
// bin of the highest floor at or below it, from the schema's table of floors.
#define QM_BIN_OF(AVERAGE) \
  "(SELECT bin FROM speed_bin_floors WHERE lowest_ms <= " AVERAGE " ORDER BY lowest_ms DESC LIMIT 1)"

std::array<std::string*, RECORD_TEXT_COUNT> RecordTexts(ResultRecord* record);
std::array<const std::string*, RECORD_TEXT_COUNT> RecordTexts(const ResultRecord& record);

// The statements each backend prepares on every connection, in its own
// dialect.
enum StoreStatement {
  INSERT_RESULT,
  FIND_BY_HASH,
  GET_RESULT,
  COUNT_RESULTS,
  LIST_RESULTS,
  // The same two without a filter: the leaderboard's usual case. The total
  // is the count the schema keeps beside the results, and the page's ids
  // come from the speed index alone before any row is read, so a deep
  // page skips index entries rather than whole rows.
  COUNT_ALL_RESULTS,
  LIST_ALL_RESULTS,
  DRIVE_COUNTS,
  MODEL_AVERAGES,
  AVERAGE_COUNTS,
  // A search by text alone: its matches counted up to a cap through the
  // trigram index; a page of few matches read through that index and sorted,
  // a page of many found by walking the speed order, where matches are dense.
  COUNT_MATCHING,
  LIST_FEW_MATCHING,
  LIST_MANY_MATCHING,
  // Every listed row, fastest first, for the exports.
  EXPORT_ALL,
  // One drive model's results: the kept count, and a page whose ids come
  // from the model's index alone, by offset or after a given result.
  COUNT_MODEL,
  LIST_MODEL,
  LIST_MODEL_AFTER,
  // The unfiltered listing after a given result.
  LIST_ALL_AFTER,
  // Backups: every row whole, by id; a row stored with its own id.
  EXPORT_WHOLE,
  RESTORE_RESULT,
  GET_DELETE_TOKEN,
  DELETE_RESULT,
  // DRIVE_COUNTS of up to MODEL_COUNTS_BATCH models: a page's models in
  // one round trip. Its parameters are the models, the last repeated to
  // fill them.
  MODEL_COUNTS,
  // The kept count of each histogram bin as rows (bin, n), then (-1, the
  // results whose average lies in a range), for where a result stands.
  BIN_COUNTS,
  // LIST_FEW_MATCHING and LIST_MANY_MATCHING after a given result.
  LIST_FEW_MATCHING_AFTER,
  LIST_MANY_MATCHING_AFTER,
  STATEMENT_COUNT
};

constexpr size_t MODEL_COUNTS_BATCH = 50;

// The table of the first schema version, with each dialect's types for the
// key, the whole numbers and the bytes.
#define QM_RESULTS_TABLE(ID, INTEGER, BYTES) \
  "CREATE TABLE results ("                   \
  " id " ID                                  \
  ","                                        \
  " report_sha256 TEXT NOT NULL UNIQUE,"     \
  " edition TEXT NOT NULL,"                  \
  " processor TEXT NOT NULL,"                \
  " board TEXT NOT NULL,"                    \
  " graphics TEXT NOT NULL,"                 \
  " total_memory TEXT NOT NULL,"             \
  " os_name TEXT NOT NULL,"                  \
  " os_build TEXT NOT NULL,"                 \
  " drive_under_test TEXT NOT NULL,"         \
  " drive_capacity TEXT NOT NULL,"           \
  " drive_model TEXT NOT NULL,"              \
  " average_ms " INTEGER                     \
  " NOT NULL CHECK (average_ms > 0),"        \
  " speed_text TEXT NOT NULL,"               \
  " submitted_utc TEXT NOT NULL,"            \
  " report " BYTES                           \
  " NOT NULL,"                               \
  " validation_file " BYTES " NOT NULL);"

// Each returns the backend's database, or nullptr with *error set.
void* OpenSqliteDatabase(const std::string& path, const StoreOptions& options, std::string* error);
void* OpenPostgresDatabase(const std::string& uri, int64_t lockWaitMs, std::string* error);
extern const StoreBackend SQLITE_BACKEND;
extern const StoreBackend POSTGRES_BACKEND;

// The text a query's text is matched against: the drive model and the
// processor, joined by a line feed, ASCII letters folded to lower case.
std::string SearchKey(const ResultRecord& record);
std::string FoldedText(const std::string& text);

}  // namespace qm
