// The shared backend: a PostgreSQL server reached through libpq. Each
// connection serves one thread at a time, from a pool; every statement is
// prepared on a connection when it opens. A report already stored is found
// by the unique hash, so two servers adding the same report at once keep
// one.
#include <libpq-fe.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "results/connection_pool.h"
#include "results/postgres/postgres_schema.h"
#include "results/speed_bins.h"
#include "results/store_backend.h"

namespace qm {
namespace {

const char* const STATEMENT_NAMES[STATEMENT_COUNT] = {"insert_result",
                                                      "find_by_hash",
                                                      "get_result",
                                                      "count_results",
                                                      "list_results",
                                                      "count_all_results",
                                                      "list_all_results",
                                                      "drive_counts",
                                                      "model_averages",
                                                      "average_counts",
                                                      "count_matching",
                                                      "list_few_matching",
                                                      "list_many_matching",
                                                      "export_all",
                                                      "count_model",
                                                      "list_model",
                                                      "list_model_after",
                                                      "list_all_after",
                                                      "export_whole",
                                                      "restore_result",
                                                      "get_delete_token",
                                                      "delete_result",
                                                      "model_counts",
                                                      "bin_counts",
                                                      "list_few_matching_after",
                                                      "list_many_matching_after"};

// A listing's filter: $1 the folded text (or ''), $2 the exact drive model (or '').
#define QM_LISTING_FILTER " WHERE ($1 = '' OR strpos(search_key, $1) > 0) AND ($2 = '' OR drive_model = $2)"

const char* const STATEMENT_SQL[STATEMENT_COUNT] = {
    "INSERT INTO results (" QM_RECORD_TEXT_COLUMNS
    ", average_ms, report, validation_file, search_key, delete_token_sha256)"
    " VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9, $10, $11, $12, $13, $14, $15, $16, $17, $18)"
    " ON CONFLICT (report_sha256) DO NOTHING RETURNING id",
    "SELECT id FROM results WHERE report_sha256 = $1",
    "SELECT id, " QM_RECORD_TEXT_COLUMNS ", average_ms, report, validation_file FROM results WHERE id = $1",
    "SELECT count(*) FROM results" QM_LISTING_FILTER,
    "SELECT id, " QM_RECORD_TEXT_COLUMNS ", average_ms FROM results" QM_LISTING_FILTER
    " ORDER BY average_ms, id LIMIT $3 OFFSET $4",
    "SELECT sum(n)::bigint FROM result_count",
    QM_LIST_ALL_RESULTS("$1", "$2"),
    "SELECT drive_model, sum(n)::bigint, sum(changes)::bigint FROM drive_counts GROUP BY drive_model"
    " HAVING sum(n) > 0",
    "SELECT average_ms FROM results WHERE drive_model = $1 ORDER BY average_ms",
    "SELECT average_ms, n FROM speed_counts WHERE n > 0 ORDER BY average_ms",
    // $1 is a LIKE pattern, '%' and the escaped text and '%': the form the
    // trigram index serves. The planner picks the index or the speed order
    // for the page, so both statements are the same.
    "SELECT count(*) FROM (SELECT 1 FROM results WHERE search_key LIKE $1 LIMIT $2) AS m",
    "SELECT id, " QM_RECORD_TEXT_COLUMNS
    ", average_ms FROM results WHERE search_key LIKE $1 ORDER BY average_ms, id LIMIT $2 OFFSET $3",
    "SELECT id, " QM_RECORD_TEXT_COLUMNS
    ", average_ms FROM results WHERE search_key LIKE $1 ORDER BY average_ms, id LIMIT $2 OFFSET $3",
    // Opens the export's cursor (the rows are fetched in batches).
    "DECLARE export_rows NO SCROLL CURSOR FOR SELECT id, " QM_RECORD_TEXT_COLUMNS
    ", average_ms FROM results ORDER BY average_ms, id",
    "SELECT coalesce(sum(n), 0)::bigint FROM drive_counts WHERE drive_model = $1",
    QM_PAGE_OF("SELECT id FROM results WHERE drive_model = $1 ORDER BY average_ms, id LIMIT $2 OFFSET $3"),
    QM_PAGE_OF("SELECT id FROM results WHERE drive_model = $1 AND (average_ms, id) > ($2, $3)"
               " ORDER BY average_ms, id LIMIT $4"),
    QM_PAGE_OF("SELECT id FROM results WHERE (average_ms, id) > ($1, $2) ORDER BY average_ms, id LIMIT $3"),
    "DECLARE export_rows NO SCROLL CURSOR FOR SELECT id, " QM_RECORD_TEXT_COLUMNS
    ", average_ms, report, validation_file, delete_token_sha256 FROM results ORDER BY id",
    "INSERT INTO results (id, " QM_RECORD_TEXT_COLUMNS
    ", average_ms, report, validation_file, search_key, delete_token_sha256)"
    " VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9, $10, $11, $12, $13, $14, $15, $16, $17, $18, $19)",
    "SELECT delete_token_sha256 FROM results WHERE id = $1",
    "DELETE FROM results WHERE id = $1",
    "SELECT drive_model, sum(n)::bigint, sum(changes)::bigint FROM drive_counts WHERE drive_model IN ("
    "$1, $2, $3, $4, $5, $6, $7, $8, $9, $10, "
    "$11, $12, $13, $14, $15, $16, $17, $18, $19, $20, "
    "$21, $22, $23, $24, $25, $26, $27, $28, $29, $30, "
    "$31, $32, $33, $34, $35, $36, $37, $38, $39, $40, "
    "$41, $42, $43, $44, $45, $46, $47, $48, $49, $50)"
    " GROUP BY drive_model HAVING sum(n) > 0",
    "SELECT bin, sum(n)::bigint FROM speed_bins GROUP BY bin UNION ALL"
    " SELECT -1, coalesce(sum(n), 0)::bigint FROM speed_counts WHERE average_ms > $1 AND average_ms <= $2",
    "SELECT id, " QM_RECORD_TEXT_COLUMNS
    ", average_ms FROM results WHERE search_key LIKE $1 AND (average_ms, id) > ($2, $3)"
    " ORDER BY average_ms, id LIMIT $4",
    "SELECT id, " QM_RECORD_TEXT_COLUMNS
    ", average_ms FROM results WHERE search_key LIKE $1 AND (average_ms, id) > ($2, $3)"
    " ORDER BY average_ms, id LIMIT $4",
};

// Parameters as given: text, except the byte columns, which go in binary.
struct Parameters {
  std::vector<std::string> values;
  std::vector<int> formats;

  void text(const std::string& value) {
    values.push_back(value);
    formats.push_back(0);
  }
  void bytes(const std::string& value) {
    values.push_back(value);
    formats.push_back(1);
  }
  void integer(int64_t value) { text(std::to_string(value)); }
};

using Result = std::unique_ptr<PGresult, decltype(&PQclear)>;

// libpq's view of parameters: a pointer to each value and its length.
struct ParameterView {
  std::vector<const char*> values;
  std::vector<int> lengths;
  explicit ParameterView(const Parameters& parameters) {
    for (const std::string& value : parameters.values) {
      values.push_back(value.data());
      lengths.push_back(static_cast<int>(value.size()));
    }
  }
  int count() const { return static_cast<int>(values.size()); }
};

// The prepared statement; or, planned afresh for these values, its text:
// for a search, whose best plan depends on how many results match.
Result Run(PGconn* connection, StoreStatement statement, const Parameters& parameters,
           bool planAfresh = false) {
  const ParameterView view(parameters);
  if (planAfresh)
    return Result(PQexecParams(connection, STATEMENT_SQL[statement], view.count(), nullptr,
                               view.values.data(), view.lengths.data(), parameters.formats.data(), 0),
                  PQclear);
  return Result(PQexecPrepared(connection, STATEMENT_NAMES[statement], view.count(), view.values.data(),
                               view.lengths.data(), parameters.formats.data(), 0),
                PQclear);
}

bool Succeeded(const Result& result, ExecStatusType expected) {
  return result != nullptr && PQresultStatus(result.get()) == expected;
}

std::string ErrorOf(PGconn* connection, const std::string& what) {
  std::string message = connection != nullptr ? PQerrorMessage(connection) : "out of memory";
  while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) message.pop_back();
  return "PostgreSQL: " + what + ": " + message;
}

StoreStatus Failure(PGconn* connection, const std::string& what, std::string* error) {
  *error = ErrorOf(connection, what);
  return StoreStatus::Failed;
}

std::string Value(const Result& result, int row, int column) {
  return std::string(PQgetvalue(result.get(), row, column),
                     static_cast<size_t>(PQgetlength(result.get(), row, column)));
}

int64_t IntegerValue(const Result& result, int row, int column) {
  return std::strtoll(PQgetvalue(result.get(), row, column), nullptr, 10);
}

// A bytea column in text form ("\x" and hex digits).
std::string BytesValue(const Result& result, int row, int column) {
  size_t size = 0;
  unsigned char* bytes =
      PQunescapeBytea(reinterpret_cast<const unsigned char*>(PQgetvalue(result.get(), row, column)), &size);
  if (bytes == nullptr) return std::string();
  std::string value(reinterpret_cast<const char*>(bytes), size);
  PQfreemem(bytes);
  return value;
}

void ReadRecord(const Result& result, int row, ResultRecord* record) {
  record->id = IntegerValue(result, row, 0);
  auto texts = RecordTexts(record);
  for (size_t i = 0; i < RECORD_TEXT_COUNT; ++i) *texts[i] = Value(result, row, static_cast<int>(i + 1));
  record->averageMs = IntegerValue(result, row, RECORD_TEXT_COUNT + 1);
}

bool Execute(PGconn* connection, const char* sql, std::string* error) {
  Result result(PQexec(connection, sql), PQclear);
  if (Succeeded(result, PGRES_COMMAND_OK) || Succeeded(result, PGRES_TUPLES_OK)) return true;
  *error = ErrorOf(connection, std::string(sql).substr(0, 40));
  return false;
}

// The steps this database lacks, in one transaction under an advisory lock,
// so that servers starting together migrate once.
bool Migrate(PGconn* connection, std::string* error) {
  constexpr char LOCK[] = "SELECT pg_advisory_xact_lock(7406230812)";
  if (!Execute(connection, "BEGIN", error)) return false;
  bool ok =
      Execute(connection, LOCK, error) &&
      Execute(connection, "CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)", error);
  int version = 0;
  if (ok) {
    Result result(PQexec(connection, "SELECT coalesce(max(version), 0) FROM schema_version"), PQclear);
    ok = Succeeded(result, PGRES_TUPLES_OK) && PQntuples(result.get()) == 1;
    if (ok) version = static_cast<int>(IntegerValue(result, 0, 0));
    if (!ok) *error = ErrorOf(connection, "reading the schema version");
  }
  if (ok && version > POSTGRES_SCHEMA_VERSION) {
    *error = "the database has schema version " + std::to_string(version) + ", newer than this program's " +
             std::to_string(POSTGRES_SCHEMA_VERSION);
    ok = false;
  }
  for (int step = version; ok && step < POSTGRES_SCHEMA_VERSION; ++step) {
    const std::string mark =
        "DELETE FROM schema_version; INSERT INTO schema_version VALUES (" + std::to_string(step + 1) + ")";
    ok = Execute(connection, POSTGRES_MIGRATIONS[step], error) && Execute(connection, mark.c_str(), error);
  }
  std::string ignored;
  if (!ok) Execute(connection, "ROLLBACK", &ignored);
  return ok && Execute(connection, "COMMIT", error);
}

// A server that does not answer at all (a host gone, a firewall dropping
// packets) must not hold a worker: the URI's own connect_timeout wins.
constexpr char CONNECT_TIMEOUT_SECONDS[] = "10";

PGconn* OpenConnection(const std::string& uri, bool migrate, int64_t lockWaitMs, std::string* error) {
  const char* const keywords[] = {"connect_timeout", "dbname", nullptr};
  const char* const values[] = {CONNECT_TIMEOUT_SECONDS, uri.c_str(), nullptr};
  PGconn* connection = PQconnectdbParams(keywords, values, 1);
  if (connection == nullptr || PQstatus(connection) != CONNECTION_OK) {
    *error = ErrorOf(connection, "cannot connect");
    PQfinish(connection);
    return nullptr;
  }
  // Notices ("already exists, skipping") are for people at a terminal, not
  // for the board's log.
  PQsetNoticeProcessor(
      connection, [](void*, const char*) {}, nullptr);
  // A lock held elsewhere (a LOCK TABLE, a long migration) is waited for
  // no longer than the store's lock wait; the statements are prepared under
  // it too, as preparing takes the table's lock.
  const std::string lockTimeout = "SET lock_timeout = " + std::to_string(std::max<int64_t>(lockWaitMs, 1));
  bool ok = Execute(connection, "SET client_encoding = 'UTF8'", error) &&
            (!migrate || Migrate(connection, error)) && Execute(connection, lockTimeout.c_str(), error);
  for (int i = 0; ok && i < STATEMENT_COUNT; ++i) {
    // A cursor's declaration cannot be prepared; it is run as text.
    if (i == EXPORT_ALL || i == EXPORT_WHOLE) continue;
    Result prepared(PQprepare(connection, STATEMENT_NAMES[i], STATEMENT_SQL[i], 0, nullptr), PQclear);
    ok = Succeeded(prepared, PGRES_COMMAND_OK);
    if (!ok) *error = ErrorOf(connection, "preparing a statement");
  }
  if (!ok) {
    PQfinish(connection);
    return nullptr;
  }
  return connection;
}

struct Database {
  std::string uri;
  int64_t lockWaitMs = 0;
  ConnectionPool<PGconn> pool;
};

// Whether a connection may go back to the pool: not broken, not left in a
// transaction, and not in a session the server made read-only (a database
// set read-only for a while): such a session stays so after the database
// is writable again, so it is closed and a new one opened next time.
bool Reusable(PGconn* connection) {
  if (PQstatus(connection) != CONNECTION_OK || PQtransactionStatus(connection) != PQTRANS_IDLE) return false;
  const char* readOnly = PQparameterStatus(connection, "default_transaction_read_only");
  return readOnly == nullptr || std::string(readOnly) != "on";
}

// Reads what the server sent an idle connection without waiting (libpq's
// socket does not block): a server that restarted has closed it. Twice,
// as the first read may take only the server's farewell message and the
// second then meets the close.
bool StillConnected(PGconn* connection) {
  for (int read = 0; read < 2; ++read)
    if (PQconsumeInput(connection) != 1 || PQstatus(connection) != CONNECTION_OK) return false;
  return true;
}

void Close(void* db) { delete static_cast<Database*>(db); }

Parameters InsertParameters(const ResultRecord& record, const std::string& searchKey) {
  Parameters insert;
  for (const std::string* text : RecordTexts(record)) insert.text(*text);
  insert.integer(record.averageMs);
  insert.bytes(record.report);
  insert.bytes(record.validationFile);
  insert.text(searchKey);
  insert.text(record.deleteTokenSha256);
  return insert;
}

// The id of a report stored already.
StoreStatus FindDuplicate(PGconn* connection, ResultRecord* record, std::string* error) {
  Parameters find;
  find.text(record->reportSha256);
  Result found = Run(connection, FIND_BY_HASH, find);
  if (!Succeeded(found, PGRES_TUPLES_OK) || PQntuples(found.get()) != 1)
    return Failure(connection, "finding a result", error);
  record->id = IntegerValue(found, 0, 0);
  return StoreStatus::Duplicate;
}

StoreStatus Insert(PGconn* connection, ResultRecord* record, const std::string& searchKey,
                   std::string* error) {
  Result added = Run(connection, INSERT_RESULT, InsertParameters(*record, searchKey));
  if (!Succeeded(added, PGRES_TUPLES_OK)) return Failure(connection, "adding a result", error);
  if (PQntuples(added.get()) == 0) return FindDuplicate(connection, record, error);
  record->id = IntegerValue(added, 0, 0);
  return StoreStatus::Ok;
}

// A batch's results go in statements of this many rows each: the server
// parses, plans and fires the count triggers once per statement, where one
// statement a row cost it most of an import's time.
constexpr size_t ROWS_PER_INSERT = 64;
constexpr int INSERT_COLUMNS = static_cast<int>(RECORD_TEXT_COUNT) + 5;

std::string MultiRowInsert(size_t rows) {
  std::string sql = "INSERT INTO results (" QM_RECORD_TEXT_COLUMNS
                    ", average_ms, report, validation_file, search_key, delete_token_sha256) VALUES ";
  int parameter = 0;
  for (size_t row = 0; row < rows; ++row) {
    sql += row == 0 ? "(" : ", (";
    for (int column = 0; column < INSERT_COLUMNS; ++column)
      sql += (column == 0 ? "$" : ", $") + std::to_string(++parameter);
    sql += ")";
  }
  return sql + " ON CONFLICT (report_sha256) DO NOTHING RETURNING id, report_sha256";
}

// Records [first, end) in one statement. A report stored before, or earlier
// in the same statement, gives Duplicate with no id yet.
bool InsertRows(PGconn* connection, ResultRecord* const* records, const std::string* keys, size_t first,
                size_t end, StoreStatus* statuses, std::string* error) {
  Parameters all;
  for (size_t i = first; i < end; ++i) {
    Parameters row = InsertParameters(*records[i], keys[i]);
    all.values.insert(all.values.end(), row.values.begin(), row.values.end());
    all.formats.insert(all.formats.end(), row.formats.begin(), row.formats.end());
  }
  const ParameterView view(all);
  const Result added(PQexecParams(connection, MultiRowInsert(end - first).c_str(), view.count(), nullptr,
                                  view.values.data(), view.lengths.data(), all.formats.data(), 0),
                     PQclear);
  if (!Succeeded(added, PGRES_TUPLES_OK)) {
    Failure(connection, "adding results", error);
    return false;
  }
  std::map<std::string, int64_t> ids;
  for (int row = 0; row < PQntuples(added.get()); ++row)
    ids[Value(added, row, 1)] = IntegerValue(added, row, 0);
  for (size_t i = first; i < end; ++i) {
    const auto found = ids.find(records[i]->reportSha256);
    statuses[i] = found == ids.end() ? StoreStatus::Duplicate : StoreStatus::Ok;
    if (found == ids.end()) continue;
    records[i]->id = found->second;
    ids.erase(found);  // a second copy in this statement is a duplicate of the first
  }
  return true;
}

// A batch's inserts in the open transaction, then the ids of the reports
// that were stored already.
bool InsertMany(PGconn* connection, ResultRecord* const* records, const std::string* keys, size_t count,
                StoreStatus* statuses, std::string* error) {
  for (size_t first = 0; first < count; first += ROWS_PER_INSERT)
    if (!InsertRows(connection, records, keys, first, std::min(count, first + ROWS_PER_INSERT), statuses,
                    error))
      return false;
  for (size_t i = 0; i < count; ++i)
    if (statuses[i] == StoreStatus::Duplicate &&
        FindDuplicate(connection, records[i], error) == StoreStatus::Failed)
      return false;
  return true;
}

StoreStatus Add(void* db, ResultRecord* const* records, const std::string* keys, size_t count,
                StoreStatus* statuses, std::string* error) {
  Lease<PGconn> lease(static_cast<Database*>(db)->pool, error);
  if (lease.connection == nullptr) return StoreStatus::Failed;
  if (count == 1) return statuses[0] = Insert(lease.connection, records[0], keys[0], error);
  // One commit for all: the server syncs its log once, not once per result.
  if (!Execute(lease.connection, "BEGIN", error)) return StoreStatus::Failed;
  if (!InsertMany(lease.connection, records, keys, count, statuses, error)) {
    std::fill(statuses, statuses + count, StoreStatus::Failed);
    std::string ignored;
    Execute(lease.connection, "ROLLBACK", &ignored);
    return StoreStatus::Failed;
  }
  return Execute(lease.connection, "COMMIT", error) ? StoreStatus::Ok : StoreStatus::Failed;
}

StoreStatus Get(void* db, int64_t id, ResultRecord* record, std::string* error) {
  Lease<PGconn> lease(static_cast<Database*>(db)->pool, error);
  if (lease.connection == nullptr) return StoreStatus::Failed;
  Parameters parameters;
  parameters.integer(id);
  Result result = Run(lease.connection, GET_RESULT, parameters);
  if (!Succeeded(result, PGRES_TUPLES_OK)) return Failure(lease.connection, "reading a result", error);
  if (PQntuples(result.get()) == 0) return StoreStatus::NotFound;
  ReadRecord(result, 0, record);
  record->report = BytesValue(result, 0, RECORD_TEXT_COUNT + 2);
  record->validationFile = BytesValue(result, 0, RECORD_TEXT_COUNT + 3);
  return StoreStatus::Ok;
}

// '%text%' with LIKE's own characters (and its escape, the backslash)
// taken as plain text.
std::string ContainsPattern(const std::string& text) {
  std::string pattern = "%";
  for (char c : text) {
    if (c == '%' || c == '_' || c == '\\') pattern += '\\';
    pattern += c;
  }
  return pattern + "%";
}

StoreStatus ReadRows(PGconn* connection, const Result& rows, ResultPage* page, std::string* error) {
  if (!Succeeded(rows, PGRES_TUPLES_OK)) return Failure(connection, "listing results", error);
  page->results.resize(static_cast<size_t>(PQntuples(rows.get())));
  for (size_t i = 0; i < page->results.size(); ++i) ReadRecord(rows, static_cast<int>(i), &page->results[i]);
  return StoreStatus::Ok;
}

StoreStatus Search(PGconn* connection, const ResultQuery& query, ResultPage* page, std::string* error) {
  int64_t matches = SEARCH_TOTAL_CAP + 1;
  if (!query.knownCapped) {
    Parameters count;
    count.text(ContainsPattern(query.text));
    count.integer(SEARCH_TOTAL_CAP + 1);
    Result counted = Run(connection, COUNT_MATCHING, count, true);
    if (!Succeeded(counted, PGRES_TUPLES_OK)) return Failure(connection, "counting results", error);
    matches = IntegerValue(counted, 0, 0);
  }
  page->totalCapped = matches > SEARCH_TOTAL_CAP;
  page->total = std::min(matches, SEARCH_TOTAL_CAP);
  Parameters listing;
  listing.text(ContainsPattern(query.text));
  if (query.after) {
    listing.integer(query.afterAverageMs);
    listing.integer(query.afterId);
  }
  listing.integer(query.limit);
  if (!query.after) listing.integer(query.offset);
  const StoreStatement statement =
      query.after ? (page->totalCapped ? LIST_MANY_MATCHING_AFTER : LIST_FEW_MATCHING_AFTER)
                  : (page->totalCapped ? LIST_MANY_MATCHING : LIST_FEW_MATCHING);
  return ReadRows(connection, Run(connection, statement, listing, true), page, error);
}

// Unfiltered (model empty) or one model's: the total from the kept
// counts, the page's ids from an index alone.
StoreStatus ListRanked(PGconn* connection, const ResultQuery& query, ResultPage* page, std::string* error) {
  const bool all = query.driveModel.empty();
  Parameters model;
  if (!all) model.text(query.driveModel);
  Result count = Run(connection, all ? COUNT_ALL_RESULTS : COUNT_MODEL, model);
  if (!Succeeded(count, PGRES_TUPLES_OK)) return Failure(connection, "counting results", error);
  page->total = IntegerValue(count, 0, 0);
  Parameters listing = model;
  if (query.after) {
    listing.integer(query.afterAverageMs);
    listing.integer(query.afterId);
  }
  listing.integer(query.limit);
  if (!query.after) listing.integer(query.offset);
  const StoreStatement statement =
      all ? (query.after ? LIST_ALL_AFTER : LIST_ALL_RESULTS) : (query.after ? LIST_MODEL_AFTER : LIST_MODEL);
  return ReadRows(connection, Run(connection, statement, listing), page, error);
}

StoreStatus List(void* db, const ResultQuery& query, ResultPage* page, std::string* error) {
  Lease<PGconn> lease(static_cast<Database*>(db)->pool, error);
  if (lease.connection == nullptr) return StoreStatus::Failed;
  if (query.text.empty()) return ListRanked(lease.connection, query, page, error);
  if (query.driveModel.empty() && IndexServesSearch(query.text))
    return Search(lease.connection, query, page, error);
  Parameters filter;
  filter.text(query.text);
  filter.text(query.driveModel);
  Result count = Run(lease.connection, COUNT_RESULTS, filter);
  if (!Succeeded(count, PGRES_TUPLES_OK)) return Failure(lease.connection, "counting results", error);
  page->total = IntegerValue(count, 0, 0);
  Parameters listing = filter;
  listing.integer(query.limit);
  listing.integer(query.offset);
  return ReadRows(lease.connection, Run(lease.connection, LIST_RESULTS, listing), page, error);
}

StoreStatus DriveCounts(void* db, const std::string* models, size_t modelCount,
                        std::vector<DriveCount>* counts, std::string* error) {
  Lease<PGconn> lease(static_cast<Database*>(db)->pool, error);
  if (lease.connection == nullptr) return StoreStatus::Failed;
  Parameters parameters;
  for (size_t i = 0; models != nullptr && i < MODEL_COUNTS_BATCH; ++i)
    parameters.text(models[std::min(i, modelCount - 1)]);
  Result result = Run(lease.connection, models == nullptr ? DRIVE_COUNTS : MODEL_COUNTS, parameters);
  if (!Succeeded(result, PGRES_TUPLES_OK)) return Failure(lease.connection, "counting drives", error);
  for (int row = 0; row < PQntuples(result.get()); ++row)
    counts->push_back({Value(result, row, 0), IntegerValue(result, row, 1), IntegerValue(result, row, 2)});
  return StoreStatus::Ok;
}

StoreStatus ModelAverages(void* db, const std::string& model, std::vector<int64_t>* averages,
                          std::string* error) {
  Lease<PGconn> lease(static_cast<Database*>(db)->pool, error);
  if (lease.connection == nullptr) return StoreStatus::Failed;
  Parameters parameters;
  parameters.text(model);
  Result result = Run(lease.connection, MODEL_AVERAGES, parameters);
  if (!Succeeded(result, PGRES_TUPLES_OK))
    return Failure(lease.connection, "reading a drive's speeds", error);
  for (int row = 0; row < PQntuples(result.get()); ++row) averages->push_back(IntegerValue(result, row, 0));
  return StoreStatus::Ok;
}

StoreStatus AverageCounts(void* db, std::vector<std::pair<int64_t, int64_t>>* counts, std::string* error) {
  Lease<PGconn> lease(static_cast<Database*>(db)->pool, error);
  if (lease.connection == nullptr) return StoreStatus::Failed;
  Result result = Run(lease.connection, AVERAGE_COUNTS, Parameters());
  if (!Succeeded(result, PGRES_TUPLES_OK)) return Failure(lease.connection, "reading speeds", error);
  for (int row = 0; row < PQntuples(result.get()); ++row)
    counts->emplace_back(IntegerValue(result, row, 0), IntegerValue(result, row, 1));
  return StoreStatus::Ok;
}

StoreStatus BinCounts(void* db, int64_t longerThan, int64_t upTo, int64_t* binCounts, int64_t* between,
                      std::string* error) {
  Lease<PGconn> lease(static_cast<Database*>(db)->pool, error);
  if (lease.connection == nullptr) return StoreStatus::Failed;
  Parameters range;
  range.integer(longerThan);
  range.integer(upTo);
  Result result = Run(lease.connection, BIN_COUNTS, range);
  if (!Succeeded(result, PGRES_TUPLES_OK)) return Failure(lease.connection, "reading speeds", error);
  for (int row = 0; row < PQntuples(result.get()); ++row) {
    const int64_t bin = IntegerValue(result, row, 0);
    if (bin == -1) *between = IntegerValue(result, row, 1);
    if (bin >= 0 && bin < HISTOGRAM_BINS) binCounts[bin] += IntegerValue(result, row, 1);
  }
  return StoreStatus::Ok;
}

// The rows come through a cursor, a batch at a time, inside one REPEATABLE
// READ transaction: every batch sees the snapshot of the first.
StoreStatus ExportRows(void* db, StoreStatement statement, const ResultTaker& take, std::string* error) {
  constexpr char FETCH[] = "FETCH 1000 FROM export_rows";
  Lease<PGconn> lease(static_cast<Database*>(db)->pool, error);
  if (lease.connection == nullptr) return StoreStatus::Failed;
  PGconn* connection = lease.connection;
  if (!Execute(connection, "BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY", error))
    return StoreStatus::Failed;
  StoreStatus status = StoreStatus::Ok;
  if (!Execute(connection, STATEMENT_SQL[statement], error)) status = StoreStatus::Failed;
  ResultRecord record;
  for (bool more = status == StoreStatus::Ok; more;) {
    Result batch(PQexec(connection, FETCH), PQclear);
    if (!Succeeded(batch, PGRES_TUPLES_OK)) {
      status = Failure(connection, "exporting results", error);
      break;
    }
    const int rows = PQntuples(batch.get());
    for (int row = 0; more && row < rows; ++row) {
      ReadRecord(batch, row, &record);
      if (statement == EXPORT_WHOLE) {
        record.report = BytesValue(batch, row, RECORD_TEXT_COUNT + 2);
        record.validationFile = BytesValue(batch, row, RECORD_TEXT_COUNT + 3);
        record.deleteTokenSha256 = Value(batch, row, RECORD_TEXT_COUNT + 4);
      }
      more = take(record);
    }
    more = more && rows > 0;
  }
  std::string ignored;
  Execute(connection, "ROLLBACK", &ignored);
  return status;
}

StoreStatus ExportAll(void* db, const ResultTaker& take, std::string* error) {
  return ExportRows(db, EXPORT_ALL, take, error);
}

StoreStatus ExportWhole(void* db, const ResultTaker& take, std::string* error) {
  return ExportRows(db, EXPORT_WHOLE, take, error);
}

// The rows with their own ids; then the id sequence goes past the largest,
// so results added later take new ones.
StoreStatus Restore(void* db, const ResultRecord* records, const std::string* keys, size_t count,
                    std::string* error) {
  Lease<PGconn> lease(static_cast<Database*>(db)->pool, error);
  if (lease.connection == nullptr) return StoreStatus::Failed;
  PGconn* connection = lease.connection;
  if (!Execute(connection, "BEGIN", error)) return StoreStatus::Failed;
  bool ok = true;
  for (size_t i = 0; ok && i < count; ++i) {
    Parameters insert;
    insert.integer(records[i].id);
    for (const std::string* text : RecordTexts(records[i])) insert.text(*text);
    insert.integer(records[i].averageMs);
    insert.bytes(records[i].report);
    insert.bytes(records[i].validationFile);
    insert.text(keys[i]);
    insert.text(records[i].deleteTokenSha256);
    ok = Succeeded(Run(connection, RESTORE_RESULT, insert), PGRES_COMMAND_OK);
    if (!ok) *error = ErrorOf(connection, "restoring a result");
  }
  ok = ok && Execute(connection,
                     "SELECT setval(pg_get_serial_sequence('results', 'id'), (SELECT max(id) FROM results))",
                     error);
  std::string ignored;
  if (!ok) Execute(connection, "ROLLBACK", &ignored);
  return ok && Execute(connection, "COMMIT", error) ? StoreStatus::Ok : StoreStatus::Failed;
}

StoreStatus DeleteTokenSha256(void* db, int64_t id, std::string* sha256, std::string* error) {
  Lease<PGconn> lease(static_cast<Database*>(db)->pool, error);
  if (lease.connection == nullptr) return StoreStatus::Failed;
  Parameters parameters;
  parameters.integer(id);
  Result result = Run(lease.connection, GET_DELETE_TOKEN, parameters);
  if (!Succeeded(result, PGRES_TUPLES_OK)) return Failure(lease.connection, "reading a delete token", error);
  if (PQntuples(result.get()) == 0) return StoreStatus::NotFound;
  *sha256 = Value(result, 0, 0);
  return StoreStatus::Ok;
}

StoreStatus Remove(void* db, int64_t id, std::string* error) {
  Lease<PGconn> lease(static_cast<Database*>(db)->pool, error);
  if (lease.connection == nullptr) return StoreStatus::Failed;
  Parameters parameters;
  parameters.integer(id);
  Result result = Run(lease.connection, DELETE_RESULT, parameters);
  if (!Succeeded(result, PGRES_COMMAND_OK)) return Failure(lease.connection, "deleting a result", error);
  return std::string(PQcmdTuples(result.get())) == "1" ? StoreStatus::Ok : StoreStatus::NotFound;
}

}  // namespace

void* OpenPostgresDatabase(const std::string& uri, int64_t lockWaitMs, std::string* error) {
  PGconn* first = OpenConnection(uri, true, lockWaitMs, error);
  if (first == nullptr) return nullptr;
  auto* database = new Database;
  database->uri = uri;
  database->lockWaitMs = lockWaitMs;
  database->pool.open = [database](std::string* openError) {
    return OpenConnection(database->uri, false, database->lockWaitMs, openError);
  };
  database->pool.close = PQfinish;
  database->pool.healthy = Reusable;
  database->pool.alive = StillConnected;
  database->pool.idle.push_back(first);
  return database;
}

const StoreBackend POSTGRES_BACKEND = {
    Close,       Add,     Get,     List,       DriveCounts,       ModelAverages, AverageCounts, ExportAll,
    ExportWhole, Restore, nullptr, "postgres", DeleteTokenSha256, Remove,        BinCounts};

}  // namespace qm
