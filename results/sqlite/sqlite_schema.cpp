// The SQLite schema's steps, oldest first.
#include "results/sqlite/sqlite_schema.h"

#include <string>

#include "results/speed_bins.h"
#include "results/store_backend.h"

namespace qm {

namespace {

// 7: results per bin of the histogram, kept by triggers in the transaction
// of each insert and delete, so a result's page reads a few dozen counts
// rather than one per stored average. A result's bin is found from the
// lowest average of each bin, written here from the board's own scale;
// changing the scale takes a new step that writes the floors again.
const std::string SPEED_BINS_STEP =
    "CREATE TABLE speed_bin_floors (lowest_ms INTEGER PRIMARY KEY, bin INTEGER NOT NULL);"
    "INSERT INTO speed_bin_floors VALUES " +
    SpeedBinFloorRows() +
    ";"
    "CREATE TABLE speed_bins (bin INTEGER PRIMARY KEY, n INTEGER NOT NULL);"
    "INSERT INTO speed_bins SELECT bin, sum(k) FROM"
    " (SELECT " QM_BIN_OF("average_ms") " AS bin, count(*) AS k FROM results GROUP BY average_ms)"
    " GROUP BY bin;"
    "CREATE TRIGGER results_binned AFTER INSERT ON results BEGIN"
    " INSERT INTO speed_bins VALUES (" QM_BIN_OF("new.average_ms") ", 1)"
    "  ON CONFLICT (bin) DO UPDATE SET n = n + 1; END;"
    "CREATE TRIGGER results_unbinned AFTER DELETE ON results BEGIN"
    " UPDATE speed_bins SET n = n - 1 WHERE bin = " QM_BIN_OF("old.average_ms") "; END;";

// 8: a row whose average or drive model is changed in place (an operator
// mending it by hand) moves its share of every kept count; the new share is
// added before the old is taken, so a count that stays is never removed.
const std::string RECOUNT_STEP =
    "CREATE TRIGGER results_recounted AFTER UPDATE OF average_ms, drive_model ON results"
    " WHEN old.average_ms <> new.average_ms OR old.drive_model <> new.drive_model BEGIN"
    " INSERT INTO speed_counts VALUES (new.average_ms, 1) ON CONFLICT (average_ms) DO UPDATE SET n = n + 1;"
    " UPDATE speed_counts SET n = n - 1 WHERE average_ms = old.average_ms;"
    " DELETE FROM speed_counts WHERE average_ms = old.average_ms AND n <= 0;"
    " INSERT INTO speed_bins VALUES (" QM_BIN_OF("new.average_ms") ", 1)"
    "  ON CONFLICT (bin) DO UPDATE SET n = n + 1;"
    " UPDATE speed_bins SET n = n - 1 WHERE bin = " QM_BIN_OF("old.average_ms") ";"
    " INSERT INTO drive_counts VALUES (new.drive_model, 1, 1)"
    "  ON CONFLICT (drive_model) DO UPDATE SET n = n + 1, changes = changes + 1;"
    " UPDATE drive_counts SET n = n - 1, changes = changes + 1 WHERE drive_model = old.drive_model;"
    " DELETE FROM drive_counts WHERE drive_model = old.drive_model AND n <= 0; END;";

// 9: a search key follows its drive model and processor when an operator
// mends them by hand (lower() folds ASCII only, as the board does). And a
// writer of many rows puts off their search index to the end of its
// transaction: FTS5 writes the terms it holds to disk at each statement's
// savepoint, a segment and a merge for every row, where one statement for
// all of them writes one. While search_index_deferred has its row (only
// inside such a transaction), the insert trigger notes the new ids instead.
const char* const SEARCH_KEY_STEP =
    "CREATE TRIGGER results_search_key_mended AFTER UPDATE OF drive_model, processor ON results"
    " WHEN old.drive_model IS NOT new.drive_model OR old.processor IS NOT new.processor BEGIN"
    " UPDATE results SET search_key = lower(new.drive_model) || char(10) || lower(new.processor)"
    "  WHERE id = new.id; END;"
    "CREATE TABLE search_index_deferred (deferred INTEGER NOT NULL);"
    "CREATE TABLE search_index_pending (id INTEGER PRIMARY KEY);"
    "DROP TRIGGER result_search_added;"
    "CREATE TRIGGER result_search_added AFTER INSERT ON results"
    " WHEN NOT EXISTS (SELECT 1 FROM search_index_deferred) BEGIN"
    " INSERT INTO result_search (rowid, search_key) VALUES (new.id, new.search_key); END;"
    "CREATE TRIGGER result_search_deferred AFTER INSERT ON results"
    " WHEN EXISTS (SELECT 1 FROM search_index_deferred) BEGIN"
    " INSERT INTO search_index_pending VALUES (new.id); END;";

}  // namespace

const char* const SQLITE_MIGRATIONS[SQLITE_SCHEMA_VERSION] = {
    // 1: the results as the first board kept them.
    QM_RESULTS_TABLE("INTEGER PRIMARY KEY", "INTEGER", "BLOB"),
    // 2: the search key (model and processor, ASCII folded; SQLite's lower()
    // folds ASCII only) and the indexes of the leaderboard and drive pages.
    "ALTER TABLE results ADD COLUMN search_key TEXT NOT NULL DEFAULT '';"
    "UPDATE results SET search_key = lower(drive_model) || char(10) || lower(processor);"
    "CREATE INDEX results_by_speed ON results (average_ms, id);"
    "CREATE INDEX results_by_drive ON results (drive_model, average_ms);",
    // 3: the number of results, kept by triggers in the transaction of each
    // insert, so a listing's total is one row rather than a pass over all.
    "CREATE TABLE result_count (n INTEGER NOT NULL);"
    "INSERT INTO result_count SELECT count(*) FROM results;"
    "CREATE TRIGGER results_added AFTER INSERT ON results BEGIN UPDATE result_count SET n = n + 1; END;"
    "CREATE TRIGGER results_removed AFTER DELETE ON results BEGIN UPDATE result_count SET n = n - 1; END;",
    // 4: search through a trigram index of the search key, kept by triggers
    // (case_sensitive: the key and the text are folded already, ASCII only,
    // as before); and the speed order with the key beside it, so a search
    // that matches many results walks the order in the index alone (the key
    // is stored after the reports, beyond the row's first page).
    "CREATE VIRTUAL TABLE result_search USING fts5(search_key, content = 'results', content_rowid = 'id',"
    " tokenize = 'trigram case_sensitive 1');"
    "INSERT INTO result_search (result_search) VALUES ('rebuild');"
    "CREATE TRIGGER result_search_added AFTER INSERT ON results BEGIN"
    " INSERT INTO result_search (rowid, search_key) VALUES (new.id, new.search_key); END;"
    "CREATE TRIGGER result_search_removed AFTER DELETE ON results BEGIN"
    " INSERT INTO result_search (result_search, rowid, search_key) VALUES ('delete', old.id, old.search_key);"
    " END;"
    "CREATE TRIGGER result_search_changed AFTER UPDATE OF search_key ON results BEGIN"
    " INSERT INTO result_search (result_search, rowid, search_key) VALUES ('delete', old.id, old.search_key);"
    " INSERT INTO result_search (rowid, search_key) VALUES (new.id, new.search_key); END;"
    "CREATE INDEX results_by_speed_key ON results (average_ms, id, search_key);",
    // 5: counts kept by triggers in the transaction of each insert and
    // delete: results per average (the histogram and the share of slower
    // results read these, not every speed), and per drive model, with the
    // number of changes, which says when a model's median is worth taking
    // again.
    "CREATE TABLE speed_counts (average_ms INTEGER PRIMARY KEY, n INTEGER NOT NULL);"
    "INSERT INTO speed_counts SELECT average_ms, count(*) FROM results GROUP BY average_ms;"
    "CREATE TABLE drive_counts (drive_model TEXT PRIMARY KEY, n INTEGER NOT NULL, changes INTEGER NOT NULL)"
    " WITHOUT ROWID;"
    "INSERT INTO drive_counts SELECT drive_model, count(*), count(*) FROM results GROUP BY drive_model;"
    "CREATE TRIGGER results_counted_by_kind AFTER INSERT ON results BEGIN"
    " INSERT INTO speed_counts VALUES (new.average_ms, 1) ON CONFLICT (average_ms) DO UPDATE SET n = n + 1;"
    " INSERT INTO drive_counts VALUES (new.drive_model, 1, 1)"
    "  ON CONFLICT (drive_model) DO UPDATE SET n = n + 1, changes = changes + 1; END;"
    "CREATE TRIGGER results_uncounted_by_kind AFTER DELETE ON results BEGIN"
    " UPDATE speed_counts SET n = n - 1 WHERE average_ms = old.average_ms;"
    " DELETE FROM speed_counts WHERE average_ms = old.average_ms AND n <= 0;"
    " UPDATE drive_counts SET n = n - 1, changes = changes + 1 WHERE drive_model = old.drive_model;"
    " DELETE FROM drive_counts WHERE drive_model = old.drive_model AND n <= 0; END;",
    // 6: the sender's delete token (its SHA-256; results stored before have
    // none), and the highest id deleted, which new ids stay above.
    "ALTER TABLE results ADD COLUMN delete_token_sha256 TEXT NOT NULL DEFAULT '';"
    "CREATE TABLE highest_deleted_id (n INTEGER NOT NULL);"
    "INSERT INTO highest_deleted_id VALUES (0);"
    "CREATE TRIGGER results_deleted_id AFTER DELETE ON results"
    " BEGIN UPDATE highest_deleted_id SET n = max(n, OLD.id); END;",
    SPEED_BINS_STEP.c_str(),
    RECOUNT_STEP.c_str(),
    SEARCH_KEY_STEP,
};

}  // namespace qm
