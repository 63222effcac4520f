// The embedded backend: one SQLite file in WAL mode, so readers never wait
// for the writer, synced at every commit. A connection serves one thread at a time: each call takes
// one from a pool (opening another when all are busy) and gives it back.
// Writers of this process take turns, and uploads that arrive during a
// commit share the next (sqlite_commit_group.h); another process (an
// `import` beside a running board) is waited for by the busy timeout.
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <vector>

#include "results/connection_pool.h"
#include "results/speed_bins.h"
#include "results/sqlite/sqlite_commit_group.h"
#include "results/sqlite/sqlite_schema.h"
#include "results/store_backend.h"

namespace qm {
namespace {

// A listing's filter: ?1 the folded text (or ''), ?2 the exact drive model (or '').
#define QM_LISTING_FILTER " WHERE (?1 = '' OR instr(search_key, ?1) > 0) AND (?2 = '' OR drive_model = ?2)"

const char* const STATEMENT_SQL[STATEMENT_COUNT] = {
    // The id is past every id ever given, deleted ones included, so that a
    // result's address never comes to show another result.
    "INSERT INTO results (id, " QM_RECORD_TEXT_COLUMNS
    ", average_ms, report, validation_file, search_key, delete_token_sha256)"
    " VALUES (max(coalesce((SELECT max(id) FROM results), 0), (SELECT n FROM highest_deleted_id)) + 1,"
    " ?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16, ?17, ?18)"
    " ON CONFLICT (report_sha256) DO NOTHING",
    "SELECT id FROM results WHERE report_sha256 = ?1",
    "SELECT id, " QM_RECORD_TEXT_COLUMNS ", average_ms, report, validation_file FROM results WHERE id = ?1",
    "SELECT count(*) FROM results" QM_LISTING_FILTER,
    "SELECT id, " QM_RECORD_TEXT_COLUMNS ", average_ms FROM results" QM_LISTING_FILTER
    " ORDER BY average_ms, id LIMIT ?3 OFFSET ?4",
    "SELECT n FROM result_count",
    QM_LIST_ALL_RESULTS("?1", "?2"),
    "SELECT drive_model, n, changes FROM drive_counts",
    "SELECT average_ms FROM results INDEXED BY results_by_drive WHERE drive_model = ?1 ORDER BY average_ms",
    "SELECT average_ms, n FROM speed_counts WHERE n > 0 ORDER BY average_ms",
    "SELECT count(*) FROM (SELECT rowid FROM result_search WHERE result_search MATCH ?1 LIMIT ?2)",
    "SELECT id, " QM_RECORD_TEXT_COLUMNS
    ", average_ms FROM results WHERE id IN (SELECT rowid FROM result_search WHERE result_search MATCH ?1)"
    " ORDER BY average_ms, id LIMIT ?2 OFFSET ?3",
    "SELECT r.id, " QM_RECORD_TEXT_COLUMNS
    ", average_ms FROM (SELECT id FROM results INDEXED BY results_by_speed_key WHERE instr(search_key, ?1) > "
    "0"
    " ORDER BY average_ms, id LIMIT ?2 OFFSET ?3) AS p JOIN results AS r ON r.id = p.id ORDER BY average_ms, "
    "r.id",
    "SELECT id, " QM_RECORD_TEXT_COLUMNS ", average_ms FROM results ORDER BY average_ms, id",
    "SELECT coalesce((SELECT n FROM drive_counts WHERE drive_model = ?1), 0)",
    QM_PAGE_OF("SELECT id FROM results INDEXED BY results_by_drive WHERE drive_model = ?1"
               " ORDER BY average_ms, id LIMIT ?2 OFFSET ?3"),
    QM_PAGE_OF("SELECT id FROM results INDEXED BY results_by_drive WHERE drive_model = ?1"
               " AND (average_ms, id) > (?2, ?3) ORDER BY average_ms, id LIMIT ?4"),
    QM_PAGE_OF("SELECT id FROM results INDEXED BY results_by_speed WHERE (average_ms, id) > (?1, ?2)"
               " ORDER BY average_ms, id LIMIT ?3"),
    "SELECT id, " QM_RECORD_TEXT_COLUMNS
    ", average_ms, report, validation_file, delete_token_sha256 FROM results ORDER BY id",
    "INSERT INTO results (id, " QM_RECORD_TEXT_COLUMNS
    ", average_ms, report, validation_file, search_key, delete_token_sha256)"
    " VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16, ?17, ?18, ?19)",
    "SELECT delete_token_sha256 FROM results WHERE id = ?1",
    "DELETE FROM results WHERE id = ?1",
    "SELECT drive_model, n, changes FROM drive_counts WHERE n > 0 AND drive_model IN ("
    "?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, "
    "?11, ?12, ?13, ?14, ?15, ?16, ?17, ?18, ?19, ?20, "
    "?21, ?22, ?23, ?24, ?25, ?26, ?27, ?28, ?29, ?30, "
    "?31, ?32, ?33, ?34, ?35, ?36, ?37, ?38, ?39, ?40, "
    "?41, ?42, ?43, ?44, ?45, ?46, ?47, ?48, ?49, ?50)",
    "SELECT bin, n FROM speed_bins UNION ALL"
    " SELECT -1, coalesce(sum(n), 0) FROM speed_counts WHERE average_ms > ?1 AND average_ms <= ?2",
    "SELECT id, " QM_RECORD_TEXT_COLUMNS
    ", average_ms FROM results WHERE id IN (SELECT rowid FROM result_search WHERE result_search MATCH ?1)"
    " AND (average_ms, id) > (?2, ?3) ORDER BY average_ms, id LIMIT ?4",
    QM_PAGE_OF("SELECT id FROM results INDEXED BY results_by_speed_key WHERE (average_ms, id) > (?2, ?3)"
               " AND instr(search_key, ?1) > 0 ORDER BY average_ms, id LIMIT ?4"),
};

struct Connection {
  sqlite3* db = nullptr;
  bool broken = false;  // an I/O fault: closed rather than pooled again
  sqlite3_stmt* statements[STATEMENT_COUNT] = {};
};

void CloseConnection(Connection* connection);

struct Database {
  std::string path;
  StoreOptions options;
  ConnectionPool<Connection> pool;
  // This process's writers take turns here; uploads share commits.
  CommitGroup writers;
};

std::chrono::milliseconds LockWait(const Database* database) {
  return std::chrono::milliseconds(database->options.lockWaitMs);
}

// What a write of its own takes: a pooled connection, then this process's
// writer turn, waited for at most the lock wait. ready is false, with
// *error set, when either cannot be had.
struct WriteAccess {
  Lease<Connection> lease;
  CommitGroup& writers;
  bool ready = false;
  WriteAccess(Database* database, std::string* error)
      : lease(database->pool, error), writers(database->writers) {
    if (lease.connection == nullptr) return;
    ready = TakeWriterTurn(&writers, LockWait(database));
    if (!ready) *error = WRITER_BUSY;
  }
  ~WriteAccess() {
    if (ready) GiveWriterTurn(&writers);
  }
  WriteAccess(const WriteAccess&) = delete;
  WriteAccess& operator=(const WriteAccess&) = delete;
};

std::string ErrorOf(sqlite3* db, const std::string& what) {
  return what + ": " + (db != nullptr ? sqlite3_errmsg(db) : "out of memory");
}

void CloseConnection(Connection* connection) {
  for (sqlite3_stmt* statement : connection->statements) sqlite3_finalize(statement);
  sqlite3_close(connection->db);
  delete connection;
}

bool Execute(sqlite3* db, const char* sql, std::string* error) {
  char* message = nullptr;
  if (sqlite3_exec(db, sql, nullptr, nullptr, &message) == SQLITE_OK) return true;
  *error = std::string("SQLite: ") + (message != nullptr ? message : sqlite3_errmsg(db));
  sqlite3_free(message);
  return false;
}

bool ReadVersion(sqlite3* db, int* version, std::string* error) {
  sqlite3_stmt* statement = nullptr;
  bool ok = sqlite3_prepare_v2(db, "PRAGMA user_version", -1, &statement, nullptr) == SQLITE_OK &&
            sqlite3_step(statement) == SQLITE_ROW;
  if (ok) *version = sqlite3_column_int(statement, 0);
  if (!ok) *error = ErrorOf(db, "SQLite: reading the schema version");
  sqlite3_finalize(statement);
  return ok;
}

// Runs the steps this database lacks, all in one write transaction, so two
// programs opening a new file at once do not both create it.
bool Migrate(sqlite3* db, std::string* error) {
  if (!Execute(db, "BEGIN IMMEDIATE", error)) return false;
  int version = 0;
  bool ok = ReadVersion(db, &version, error);
  if (ok && version > SQLITE_SCHEMA_VERSION) {
    *error = "the database has schema version " + std::to_string(version) + ", newer than this program's " +
             std::to_string(SQLITE_SCHEMA_VERSION);
    ok = false;
  }
  for (int step = version; ok && step < SQLITE_SCHEMA_VERSION; ++step) {
    ok = Execute(db, SQLITE_MIGRATIONS[step], error) &&
         Execute(db, ("PRAGMA user_version = " + std::to_string(step + 1)).c_str(), error);
  }
  std::string ignored;
  if (!ok) Execute(db, "ROLLBACK", &ignored);
  return ok && Execute(db, "COMMIT", error);
}

Connection* OpenConnection(const std::string& path, bool migrate, const StoreOptions& options,
                           std::string* error) {
  auto* connection = new Connection;
  const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
  if (sqlite3_open_v2(path.c_str(), &connection->db, flags, nullptr) != SQLITE_OK) {
    *error = ErrorOf(connection->db, "SQLite: cannot open " + path);
    CloseConnection(connection);
    return nullptr;
  }
  sqlite3_busy_timeout(connection->db, static_cast<int>(std::min<int64_t>(options.lockWaitMs, INT32_MAX)));
  bool ok = Execute(connection->db, "PRAGMA journal_mode = WAL", error) &&
            // FULL: each commit is on the disk before the upload is
            // answered, so a power cut cannot take back a 201 (NORMAL would
            // lose the last commits).
            Execute(connection->db, "PRAGMA synchronous = FULL", error) &&
            (options.cacheMb <= 0 ||
             Execute(connection->db,
                     ("PRAGMA cache_size = -" + std::to_string(options.cacheMb * 1024)).c_str(), error)) &&
            (!migrate || Migrate(connection->db, error));
  for (int i = 0; ok && i < STATEMENT_COUNT; ++i) {
    ok = sqlite3_prepare_v2(connection->db, STATEMENT_SQL[i], -1, &connection->statements[i], nullptr) ==
         SQLITE_OK;
    if (!ok) *error = ErrorOf(connection->db, "SQLite: preparing a statement");
  }
  if (!ok) {
    CloseConnection(connection);
    return nullptr;
  }
  return connection;
}

// A prepared statement in use; reset and unbound when done.
struct Use {
  sqlite3_stmt* statement;
  explicit Use(Connection* connection, StoreStatement which) : statement(connection->statements[which]) {}
  ~Use() {
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
  }
  Use(const Use&) = delete;
  Use& operator=(const Use&) = delete;
  void text(int index, const std::string& value) {
    sqlite3_bind_text(statement, index, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
  }
  void blob(int index, const std::string& value) {
    sqlite3_bind_blob(statement, index, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
  }
  void integer(int index, int64_t value) { sqlite3_bind_int64(statement, index, value); }
  std::string column(int index) {
    const void* bytes = sqlite3_column_blob(statement, index);
    const int size = sqlite3_column_bytes(statement, index);
    return bytes != nullptr ? std::string(static_cast<const char*>(bytes), static_cast<size_t>(size))
                            : std::string();
  }
};

// id, the text columns and average_ms from column 0 on.
void ReadRecord(Use& use, ResultRecord* record) {
  record->id = sqlite3_column_int64(use.statement, 0);
  auto texts = RecordTexts(record);
  for (size_t i = 0; i < RECORD_TEXT_COUNT; ++i) *texts[i] = use.column(static_cast<int>(i + 1));
  record->averageMs = sqlite3_column_int64(use.statement, RECORD_TEXT_COUNT + 1);
}

StoreStatus Failure(Connection* connection, const std::string& what, std::string* error) {
  *error = ErrorOf(connection->db, "SQLite: " + what);
  // A folder made read-only, a full disk or a broken file can leave the
  // connection unable to write after the fault has gone: open a new one.
  switch (sqlite3_errcode(connection->db) & 0xFF) {
    case SQLITE_IOERR:
    case SQLITE_READONLY:
    case SQLITE_CANTOPEN:
    case SQLITE_FULL:
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB: connection->broken = true; break;
    default: break;
  }
  return StoreStatus::Failed;
}

void Close(void* db) { delete static_cast<Database*>(db); }

StoreStatus Insert(Connection* connection, ResultRecord* record, const std::string& searchKey,
                   std::string* error) {
  {
    Use insert(connection, INSERT_RESULT);
    auto texts = RecordTexts(*record);
    for (size_t i = 0; i < RECORD_TEXT_COUNT; ++i) insert.text(static_cast<int>(i + 1), *texts[i]);
    insert.integer(14, record->averageMs);
    insert.blob(15, record->report);
    insert.blob(16, record->validationFile);
    insert.text(17, searchKey);
    insert.text(18, record->deleteTokenSha256);
    if (sqlite3_step(insert.statement) != SQLITE_DONE) return Failure(connection, "adding a result", error);
    if (sqlite3_changes(connection->db) == 1) {
      record->id = sqlite3_last_insert_rowid(connection->db);
      return StoreStatus::Ok;
    }
  }
  Use find(connection, FIND_BY_HASH);
  find.text(1, record->reportSha256);
  if (sqlite3_step(find.statement) != SQLITE_ROW) return Failure(connection, "finding a result", error);
  record->id = sqlite3_column_int64(find.statement, 0);
  return StoreStatus::Duplicate;
}

// A statement of the group's transaction; an error is the connection's, as Failure reads it.
bool Run(Connection* connection, const char* sql, const char* what, std::string* error) {
  if (sqlite3_exec(connection->db, sql, nullptr, nullptr, nullptr) == SQLITE_OK) return true;
  Failure(connection, what, error);
  return false;
}

void FailWrite(GroupedWrite* write, const std::string& error) {
  write->outcome = StoreStatus::Failed;
  write->error = error;
  std::fill(write->statuses, write->statuses + write->count, StoreStatus::Failed);
}

void FailGroup(GroupedWrite* const* writes, size_t count, const std::string& error) {
  for (size_t w = 0; w < count; ++w) FailWrite(writes[w], error);
}

// One caller's records in a savepoint of their own: a record that fails
// takes back only its caller's records, never the rest of the group.
// false when the transaction itself is lost (SQLite rolls back the whole
// of it on a full disk or an I/O error). A caller alone in its group needs
// no savepoint: a failure takes back the transaction, which is all its own.
// Without one, SQLite's journal of each statement's pages stays small enough
// to be kept in memory, where a savepoint over a thousand imported records
// grows it onto the disk: two writes for every page each statement changes.
bool RunWrite(Connection* connection, GroupedWrite* write, bool alone) {
  if (!alone && !Run(connection, "SAVEPOINT upload", "starting an upload", &write->error)) return false;
  for (size_t i = 0; i < write->count; ++i) {
    write->statuses[i] = Insert(connection, write->records[i], write->keys[i], &write->error);
    if (write->statuses[i] != StoreStatus::Failed) continue;
    FailWrite(write, write->error);
    if (alone || sqlite3_get_autocommit(connection->db) != 0) return false;
    std::string error;
    return Run(connection, "ROLLBACK TO upload", "taking back an upload", &error) &&
           Run(connection, "RELEASE upload", "taking back an upload", &error);
  }
  write->outcome = write->count == 1 ? write->statuses[0] : StoreStatus::Ok;
  return alone || Run(connection, "RELEASE upload", "keeping an upload", &write->error);
}

// SQLite has rolled back the whole transaction itself after some errors.
void RollBackIfOpen(sqlite3* db) {
  std::string ignored;
  if (sqlite3_get_autocommit(db) == 0) Execute(db, "ROLLBACK", &ignored);
}

// A transaction that adds rows defers their search index and indexes them
// all in its last statements: one FTS5 segment for the lot rather than one
// for each row (the schema's insert trigger says why).
constexpr const char* BEGIN_ADDING_ROWS = "BEGIN IMMEDIATE; INSERT INTO search_index_deferred VALUES (1)";
constexpr const char* COMMIT_ADDED_ROWS =
    "INSERT INTO result_search (rowid, search_key)"
    " SELECT id, search_key FROM results WHERE id IN (SELECT id FROM search_index_pending);"
    "DELETE FROM search_index_pending; DELETE FROM search_index_deferred; COMMIT";

// The group's commit: none of its writes is Ok before COMMIT has returned,
// so none is answered before it is on the disk; a failed commit fails all.
void CommitWrites(Database* database, GroupedWrite* const* writes, size_t count) {
  std::string error;
  Lease<Connection> lease(database->pool, &error);
  if (lease.connection == nullptr) return FailGroup(writes, count, error);
  Connection* connection = lease.connection;
  if (!Run(connection, BEGIN_ADDING_ROWS, "starting a write", &error)) {
    RollBackIfOpen(connection->db);
    return FailGroup(writes, count, error);
  }
  for (size_t w = 0; w < count; ++w) {
    if (RunWrite(connection, writes[w], count == 1)) continue;
    error = writes[w]->error;
    RollBackIfOpen(connection->db);
    return FailGroup(writes, count, error);
  }
  if (Run(connection, COMMIT_ADDED_ROWS, "committing results", &error)) return;
  RollBackIfOpen(connection->db);
  FailGroup(writes, count, error);
}

StoreStatus Add(void* db, ResultRecord* const* records, const std::string* keys, size_t count,
                StoreStatus* statuses, std::string* error) {
  auto* database = static_cast<Database*>(db);
  GroupedWrite write;
  write.records = records;
  write.keys = keys;
  write.count = count;
  write.statuses = statuses;
  CommitInGroup(&database->writers, &write, LockWait(database),
                [database](GroupedWrite* const* writes, size_t n) { CommitWrites(database, writes, n); });
  if (write.outcome == StoreStatus::Failed) *error = write.error;
  return write.outcome;
}

StoreStatus Get(void* db, int64_t id, ResultRecord* record, std::string* error) {
  Lease<Connection> lease(static_cast<Database*>(db)->pool, error);
  if (lease.connection == nullptr) return StoreStatus::Failed;
  Use get(lease.connection, GET_RESULT);
  get.integer(1, id);
  const int step = sqlite3_step(get.statement);
  if (step == SQLITE_DONE) return StoreStatus::NotFound;
  if (step != SQLITE_ROW) return Failure(lease.connection, "reading a result", error);
  ReadRecord(get, record);
  record->report = get.column(RECORD_TEXT_COUNT + 2);
  record->validationFile = get.column(RECORD_TEXT_COUNT + 3);
  return StoreStatus::Ok;
}

void BindFilter(Use& use, const ResultQuery& query) {
  use.text(1, query.text);
  use.text(2, query.driveModel);
}

// The text as one FTS5 phrase: the trigram tokenizer makes of it the
// consecutive trigrams of a substring.
std::string Phrase(const std::string& text) {
  std::string phrase = "\"";
  for (char c : text) {
    if (c == '"') phrase += '"';
    phrase += c;
  }
  return phrase + "\"";
}

StoreStatus ReadRows(Connection* connection, Use& list, ResultPage* page, std::string* error) {
  int step;
  while ((step = sqlite3_step(list.statement)) == SQLITE_ROW) {
    page->results.emplace_back();
    ReadRecord(list, &page->results.back());
  }
  return step == SQLITE_DONE ? StoreStatus::Ok : Failure(connection, "listing results", error);
}

StoreStatus Search(Connection* connection, const ResultQuery& query, ResultPage* page, std::string* error) {
  const std::string phrase = Phrase(query.text);
  int64_t matches = SEARCH_TOTAL_CAP + 1;
  if (!query.knownCapped) {
    Use count(connection, COUNT_MATCHING);
    count.text(1, phrase);
    count.integer(2, SEARCH_TOTAL_CAP + 1);
    if (sqlite3_step(count.statement) != SQLITE_ROW) return Failure(connection, "counting results", error);
    matches = sqlite3_column_int64(count.statement, 0);
  }
  page->totalCapped = matches > SEARCH_TOTAL_CAP;
  page->total = std::min(matches, SEARCH_TOTAL_CAP);
  int64_t all = 0;
  {
    Use count(connection, COUNT_ALL_RESULTS);
    if (sqlite3_step(count.statement) != SQLITE_ROW) return Failure(connection, "counting results", error);
    all = sqlite3_column_int64(count.statement, 0);
  }
  // Reading the matches through the index costs a row each; walking the
  // speed order costs about all / matches entries per result shown, from
  // the first or from the result the page follows. The cheaper one is taken.
  const int64_t skipped = query.after ? 0 : query.offset;
  const double walked = static_cast<double>(skipped + query.limit) * static_cast<double>(all) /
                        static_cast<double>(std::max<int64_t>(matches, 1));
  const bool walk = matches > 0 && walked < static_cast<double>(matches);
  const StoreStatement statement = query.after ? (walk ? LIST_MANY_MATCHING_AFTER : LIST_FEW_MATCHING_AFTER)
                                               : (walk ? LIST_MANY_MATCHING : LIST_FEW_MATCHING);
  Use list(connection, statement);
  list.text(1, walk ? query.text : phrase);
  if (query.after) {
    list.integer(2, query.afterAverageMs);
    list.integer(3, query.afterId);
    list.integer(4, query.limit);
  } else {
    list.integer(2, query.limit);
    list.integer(3, query.offset);
  }
  return ReadRows(connection, list, page, error);
}

// Unfiltered (model empty) or one model's: the total from the kept
// counts, the page's ids from an index alone.
StoreStatus ListRanked(Connection* connection, const ResultQuery& query, ResultPage* page,
                       std::string* error) {
  const bool all = query.driveModel.empty();
  {
    Use count(connection, all ? COUNT_ALL_RESULTS : COUNT_MODEL);
    if (!all) count.text(1, query.driveModel);
    if (sqlite3_step(count.statement) != SQLITE_ROW) return Failure(connection, "counting results", error);
    page->total = sqlite3_column_int64(count.statement, 0);
  }
  StoreStatement statement =
      all ? (query.after ? LIST_ALL_AFTER : LIST_ALL_RESULTS) : (query.after ? LIST_MODEL_AFTER : LIST_MODEL);
  Use list(connection, statement);
  int next = 1;
  if (!all) list.text(next++, query.driveModel);
  if (query.after) {
    list.integer(next++, query.afterAverageMs);
    list.integer(next++, query.afterId);
  }
  list.integer(next++, query.limit);
  if (!query.after) list.integer(next++, query.offset);
  return ReadRows(connection, list, page, error);
}

StoreStatus List(void* db, const ResultQuery& query, ResultPage* page, std::string* error) {
  Lease<Connection> lease(static_cast<Database*>(db)->pool, error);
  if (lease.connection == nullptr) return StoreStatus::Failed;
  if (query.text.empty()) return ListRanked(lease.connection, query, page, error);
  if (query.driveModel.empty() && IndexServesSearch(query.text))
    return Search(lease.connection, query, page, error);
  {
    Use count(lease.connection, COUNT_RESULTS);
    BindFilter(count, query);
    if (sqlite3_step(count.statement) != SQLITE_ROW)
      return Failure(lease.connection, "counting results", error);
    page->total = sqlite3_column_int64(count.statement, 0);
  }
  Use list(lease.connection, LIST_RESULTS);
  BindFilter(list, query);
  list.integer(3, query.limit);
  list.integer(4, query.offset);
  return ReadRows(lease.connection, list, page, error);
}

StoreStatus DriveCounts(void* db, const std::string* models, size_t modelCount,
                        std::vector<DriveCount>* counts, std::string* error) {
  Lease<Connection> lease(static_cast<Database*>(db)->pool, error);
  if (lease.connection == nullptr) return StoreStatus::Failed;
  Use all(lease.connection, models == nullptr ? DRIVE_COUNTS : MODEL_COUNTS);
  for (size_t i = 0; models != nullptr && i < MODEL_COUNTS_BATCH; ++i)
    all.text(static_cast<int>(i + 1), models[std::min(i, modelCount - 1)]);
  int step;
  while ((step = sqlite3_step(all.statement)) == SQLITE_ROW)
    counts->push_back(
        {all.column(0), sqlite3_column_int64(all.statement, 1), sqlite3_column_int64(all.statement, 2)});
  return step == SQLITE_DONE ? StoreStatus::Ok : Failure(lease.connection, "counting drives", error);
}

StoreStatus ModelAverages(void* db, const std::string& model, std::vector<int64_t>* averages,
                          std::string* error) {
  Lease<Connection> lease(static_cast<Database*>(db)->pool, error);
  if (lease.connection == nullptr) return StoreStatus::Failed;
  Use all(lease.connection, MODEL_AVERAGES);
  all.text(1, model);
  int step;
  while ((step = sqlite3_step(all.statement)) == SQLITE_ROW)
    averages->push_back(sqlite3_column_int64(all.statement, 0));
  return step == SQLITE_DONE ? StoreStatus::Ok : Failure(lease.connection, "reading a drive's speeds", error);
}

StoreStatus AverageCounts(void* db, std::vector<std::pair<int64_t, int64_t>>* counts, std::string* error) {
  Lease<Connection> lease(static_cast<Database*>(db)->pool, error);
  if (lease.connection == nullptr) return StoreStatus::Failed;
  Use all(lease.connection, AVERAGE_COUNTS);
  int step;
  while ((step = sqlite3_step(all.statement)) == SQLITE_ROW)
    counts->emplace_back(sqlite3_column_int64(all.statement, 0), sqlite3_column_int64(all.statement, 1));
  return step == SQLITE_DONE ? StoreStatus::Ok : Failure(lease.connection, "reading speeds", error);
}

StoreStatus BinCounts(void* db, int64_t longerThan, int64_t upTo, int64_t* binCounts, int64_t* between,
                      std::string* error) {
  Lease<Connection> lease(static_cast<Database*>(db)->pool, error);
  if (lease.connection == nullptr) return StoreStatus::Failed;
  Use bins(lease.connection, BIN_COUNTS);
  bins.integer(1, longerThan);
  bins.integer(2, upTo);
  int step;
  while ((step = sqlite3_step(bins.statement)) == SQLITE_ROW) {
    const int64_t bin = sqlite3_column_int64(bins.statement, 0);
    const int64_t count = sqlite3_column_int64(bins.statement, 1);
    if (bin == -1) *between = count;
    if (bin >= 0 && bin < HISTOGRAM_BINS) binCounts[bin] += count;
  }
  return step == SQLITE_DONE ? StoreStatus::Ok : Failure(lease.connection, "reading speeds", error);
}

// One statement is one read transaction: in WAL mode it reads the database
// as it stood when the walk began, however long the walk takes.
StoreStatus ExportRows(void* db, StoreStatement statement, const ResultTaker& take, std::string* error) {
  Lease<Connection> lease(static_cast<Database*>(db)->pool, error);
  if (lease.connection == nullptr) return StoreStatus::Failed;
  Use all(lease.connection, statement);
  ResultRecord record;
  int step;
  while ((step = sqlite3_step(all.statement)) == SQLITE_ROW) {
    ReadRecord(all, &record);
    if (statement == EXPORT_WHOLE) {
      record.report = all.column(RECORD_TEXT_COUNT + 2);
      record.validationFile = all.column(RECORD_TEXT_COUNT + 3);
      record.deleteTokenSha256 = all.column(RECORD_TEXT_COUNT + 4);
    }
    if (!take(record)) return StoreStatus::Ok;
  }
  return step == SQLITE_DONE ? StoreStatus::Ok : Failure(lease.connection, "exporting results", error);
}

StoreStatus ExportAll(void* db, const ResultTaker& take, std::string* error) {
  return ExportRows(db, EXPORT_ALL, take, error);
}

StoreStatus ExportWhole(void* db, const ResultTaker& take, std::string* error) {
  return ExportRows(db, EXPORT_WHOLE, take, error);
}

StoreStatus Restore(void* db, const ResultRecord* records, const std::string* keys, size_t count,
                    std::string* error) {
  WriteAccess access(static_cast<Database*>(db), error);
  if (!access.ready) return StoreStatus::Failed;
  Lease<Connection>& lease = access.lease;
  if (!Execute(lease.connection->db, BEGIN_ADDING_ROWS, error)) {
    RollBackIfOpen(lease.connection->db);
    return StoreStatus::Failed;
  }
  for (size_t i = 0; i < count; ++i) {
    Use insert(lease.connection, RESTORE_RESULT);
    insert.integer(1, records[i].id);
    auto texts = RecordTexts(records[i]);
    for (size_t t = 0; t < RECORD_TEXT_COUNT; ++t) insert.text(static_cast<int>(t + 2), *texts[t]);
    insert.integer(15, records[i].averageMs);
    insert.blob(16, records[i].report);
    insert.blob(17, records[i].validationFile);
    insert.text(18, keys[i]);
    insert.text(19, records[i].deleteTokenSha256);
    if (sqlite3_step(insert.statement) != SQLITE_DONE) {
      const StoreStatus failed = Failure(lease.connection, "restoring a result", error);
      RollBackIfOpen(lease.connection->db);
      return failed;
    }
  }
  if (Execute(lease.connection->db, COMMIT_ADDED_ROWS, error)) return StoreStatus::Ok;
  RollBackIfOpen(lease.connection->db);
  return StoreStatus::Failed;
}

// The online backup, all pages in one step: one read transaction, so the
// copy is the database as it stood when the step began.
StoreStatus BackupTo(void* db, const std::string& path, std::string* error) {
  Lease<Connection> lease(static_cast<Database*>(db)->pool, error);
  if (lease.connection == nullptr) return StoreStatus::Failed;
  sqlite3* copy = nullptr;
  if (sqlite3_open_v2(path.c_str(), &copy, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
      SQLITE_OK) {
    *error = ErrorOf(copy, "SQLite: cannot create " + path);
    sqlite3_close(copy);
    return StoreStatus::Failed;
  }
  sqlite3_backup* backup = sqlite3_backup_init(copy, "main", lease.connection->db, "main");
  int step = backup != nullptr ? sqlite3_backup_step(backup, -1) : SQLITE_ERROR;
  if (backup != nullptr) sqlite3_backup_finish(backup);
  const bool ok = step == SQLITE_DONE;
  if (!ok) *error = ErrorOf(copy, "SQLite: copying to " + path);
  sqlite3_close(copy);
  return ok ? StoreStatus::Ok : StoreStatus::Failed;
}

StoreStatus DeleteTokenSha256(void* db, int64_t id, std::string* sha256, std::string* error) {
  Lease<Connection> lease(static_cast<Database*>(db)->pool, error);
  if (lease.connection == nullptr) return StoreStatus::Failed;
  Use get(lease.connection, GET_DELETE_TOKEN);
  get.integer(1, id);
  const int step = sqlite3_step(get.statement);
  if (step == SQLITE_DONE) return StoreStatus::NotFound;
  if (step != SQLITE_ROW) return Failure(lease.connection, "reading a delete token", error);
  *sha256 = get.column(0);
  return StoreStatus::Ok;
}

StoreStatus Remove(void* db, int64_t id, std::string* error) {
  WriteAccess access(static_cast<Database*>(db), error);
  if (!access.ready) return StoreStatus::Failed;
  Lease<Connection>& lease = access.lease;
  Use remove(lease.connection, DELETE_RESULT);
  remove.integer(1, id);
  if (sqlite3_step(remove.statement) != SQLITE_DONE)
    return Failure(lease.connection, "deleting a result", error);
  return sqlite3_changes(lease.connection->db) == 1 ? StoreStatus::Ok : StoreStatus::NotFound;
}

}  // namespace

void* OpenSqliteDatabase(const std::string& path, const StoreOptions& options, std::string* error) {
  if (path.empty()) {
    *error = "sqlite: needs a file path (sqlite:PATH)";
    return nullptr;
  }
  Connection* first = OpenConnection(path, true, options, error);
  if (first == nullptr) return nullptr;
  auto* database = new Database;
  // Connections opened later find the same file even if the current folder changes.
  char* absolute = realpath(path.c_str(), nullptr);
  database->path = absolute != nullptr ? absolute : path;
  std::free(absolute);
  database->options = options;
  database->pool.open = [database](std::string* openError) {
    return OpenConnection(database->path, false, database->options, openError);
  };
  database->pool.close = CloseConnection;
  // A connection opened while the disk was read-only stays read-only: it
  // would refuse the first write after the disk is writable again.
  database->pool.healthy = [](Connection* connection) {
    return !connection->broken && sqlite3_db_readonly(connection->db, "main") == 0;
  };
  // Such a fault (the disk gone read-only, or remounted) leaves every
  // connection opened before it on the old file, used meanwhile or not.
  database->pool.spoilsOthers = [](Connection*) { return true; };
  database->pool.idle.push_back(first);
  return database;
}

const StoreBackend SQLITE_BACKEND = {
    Close,       Add,     Get,      List,     DriveCounts,       ModelAverages, AverageCounts, ExportAll,
    ExportWhole, Restore, BackupTo, "sqlite", DeleteTokenSha256, Remove,        BinCounts};

}  // namespace qm
