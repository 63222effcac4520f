// The PostgreSQL schema's steps, oldest first.
#include "results/postgres/postgres_schema.h"

#include <string>

#include "results/speed_bins.h"
#include "results/store_backend.h"

namespace qm {

#define QM_COUNT_SLOTS "16"

namespace {

// 7: results per bin of the histogram, kept by a trigger in the transaction
// of each insert and delete, so a result's page reads a few hundred counts
// rather than one per stored average; spread over slots by server process,
// as the total is, so uploads of like speed do not queue on one row. A
// result's bin is found from the lowest average of each bin, written here
// from the board's own scale; changing the scale takes a new step that
// writes the floors again.
const std::string SPEED_BINS_STEP =
    "LOCK TABLE results IN SHARE ROW EXCLUSIVE MODE;"
    "CREATE TABLE speed_bin_floors (lowest_ms BIGINT PRIMARY KEY, bin INTEGER NOT NULL);"
    "INSERT INTO speed_bin_floors VALUES " +
    SpeedBinFloorRows() +
    ";"
    "CREATE TABLE speed_bins (bin INTEGER NOT NULL, slot INTEGER NOT NULL, n BIGINT NOT NULL,"
    " PRIMARY KEY (bin, slot));"
    "INSERT INTO speed_bins SELECT bin, 0, sum(k) FROM"
    " (SELECT " QM_BIN_OF("average_ms") " AS bin, count(*) AS k FROM results GROUP BY average_ms) AS a"
    " GROUP BY bin;"
    "CREATE FUNCTION results_binned() RETURNS trigger LANGUAGE plpgsql AS $$"
    " DECLARE step BIGINT := 1; changed results := NEW;"
    " BEGIN"
    "  IF TG_OP = 'DELETE' THEN step := -1; changed := OLD; END IF;"
    "  INSERT INTO speed_bins VALUES (" QM_BIN_OF("changed.average_ms") ", pg_backend_pid() % " QM_COUNT_SLOTS
    ", step)"
    "   ON CONFLICT (bin, slot) DO UPDATE SET n = speed_bins.n + step;"
    "  RETURN NULL;"
    " END $$;"
    "CREATE TRIGGER results_binned AFTER INSERT OR DELETE ON results"
    " FOR EACH ROW EXECUTE FUNCTION results_binned();"
    "ANALYZE speed_bin_floors; ANALYZE speed_bins;";

// 8: a row whose average or drive model is changed in place (an operator
// mending it by hand) moves its share of every kept count, in this
// process's slots as an insert or a delete would.
const std::string RECOUNT_STEP =
    "CREATE FUNCTION results_recounted() RETURNS trigger LANGUAGE plpgsql AS $$"
    " DECLARE mine INTEGER := pg_backend_pid() % " QM_COUNT_SLOTS
    ";"
    " BEGIN"
    "  INSERT INTO speed_counts VALUES (NEW.average_ms, 1)"
    "   ON CONFLICT (average_ms) DO UPDATE SET n = speed_counts.n + 1;"
    "  UPDATE speed_counts SET n = n - 1 WHERE average_ms = OLD.average_ms;"
    "  INSERT INTO speed_bins VALUES (" QM_BIN_OF("NEW.average_ms") ", mine, 1)"
    "   ON CONFLICT (bin, slot) DO UPDATE SET n = speed_bins.n + 1;"
    "  INSERT INTO speed_bins VALUES (" QM_BIN_OF("OLD.average_ms") ", mine, -1)"
    "   ON CONFLICT (bin, slot) DO UPDATE SET n = speed_bins.n - 1;"
    "  INSERT INTO drive_counts VALUES (NEW.drive_model, mine, 1, 1)"
    "   ON CONFLICT (drive_model, slot) DO UPDATE SET n = drive_counts.n + 1, changes = drive_counts.changes + 1;"
    "  INSERT INTO drive_counts VALUES (OLD.drive_model, mine, -1, 1)"
    "   ON CONFLICT (drive_model, slot) DO UPDATE SET n = drive_counts.n - 1, changes = drive_counts.changes + 1;"
    "  RETURN NULL;"
    " END $$;"
    "CREATE TRIGGER results_recounted AFTER UPDATE OF average_ms, drive_model ON results FOR EACH ROW"
    " WHEN (OLD.average_ms <> NEW.average_ms OR OLD.drive_model <> NEW.drive_model)"
    " EXECUTE FUNCTION results_recounted();";

// 9: a search key follows its drive model and processor when an operator
// mends them by hand, folded as the board folds them: ASCII only, where
// lower() would fold more in most locales.
const char* const SEARCH_KEY_STEP =
    "CREATE FUNCTION results_search_key_mended() RETURNS trigger LANGUAGE plpgsql AS $$"
    " BEGIN"
    "  NEW.search_key := translate(NEW.drive_model || chr(10) || NEW.processor,"
    "   'ABCDEFGHIJKLMNOPQRSTUVWXYZ', 'abcdefghijklmnopqrstuvwxyz');"
    "  RETURN NEW;"
    " END $$;"
    "CREATE TRIGGER results_search_key_mended BEFORE UPDATE OF drive_model, processor ON results"
    " FOR EACH ROW WHEN (OLD.drive_model IS DISTINCT FROM NEW.drive_model"
    " OR OLD.processor IS DISTINCT FROM NEW.processor)"
    " EXECUTE FUNCTION results_search_key_mended();";

// 10: the kept counts moved once a statement rather than once a row: a
// statement that adds or deletes many results (an import's batch) moves
// each count once for all of them, where three triggers a row ran four
// statements each time. The rows a statement changed are its transition
// table, named changed by both triggers.
const char* const COUNTED_BY_STATEMENT_STEP =
    "LOCK TABLE results IN SHARE ROW EXCLUSIVE MODE;"
    "DROP TRIGGER results_counted ON results;"
    "DROP TRIGGER results_counted_by_kind ON results;"
    "DROP TRIGGER results_binned ON results;"
    "CREATE FUNCTION results_counted_by_statement() RETURNS trigger LANGUAGE plpgsql AS $$"
    " DECLARE step BIGINT := 1; mine INTEGER := pg_backend_pid() % " QM_COUNT_SLOTS
    ";"
    " BEGIN"
    "  IF NOT EXISTS (SELECT 1 FROM changed) THEN RETURN NULL; END IF;"
    "  IF TG_OP = 'DELETE' THEN step := -1; END IF;"
    "  UPDATE result_count SET n = n + step * (SELECT count(*) FROM changed) WHERE slot = mine;"
    "  INSERT INTO speed_counts SELECT average_ms, step * count(*) FROM changed"
    "   GROUP BY average_ms ORDER BY average_ms"
    "   ON CONFLICT (average_ms) DO UPDATE SET n = speed_counts.n + EXCLUDED.n;"
    "  INSERT INTO drive_counts SELECT drive_model, mine, step * count(*), count(*) FROM changed"
    "   GROUP BY drive_model ORDER BY drive_model"
    "   ON CONFLICT (drive_model, slot) DO UPDATE SET n = drive_counts.n + EXCLUDED.n,"
    "    changes = drive_counts.changes + EXCLUDED.changes;"
    "  INSERT INTO speed_bins SELECT bin, mine, step * count(*)"
    "   FROM (SELECT " QM_BIN_OF("average_ms") " AS bin FROM changed) AS binned"
    "   GROUP BY bin ORDER BY bin"
    "   ON CONFLICT (bin, slot) DO UPDATE SET n = speed_bins.n + EXCLUDED.n;"
    "  RETURN NULL;"
    " END $$;"
    "CREATE TRIGGER results_added_counted AFTER INSERT ON results REFERENCING NEW TABLE AS changed"
    " FOR EACH STATEMENT EXECUTE FUNCTION results_counted_by_statement();"
    "CREATE TRIGGER results_removed_counted AFTER DELETE ON results REFERENCING OLD TABLE AS changed"
    " FOR EACH STATEMENT EXECUTE FUNCTION results_counted_by_statement();";

}  // namespace

const char* const POSTGRES_MIGRATIONS[POSTGRES_SCHEMA_VERSION] = {
    // 1: the results as the first board kept them.
    QM_RESULTS_TABLE("BIGSERIAL PRIMARY KEY", "BIGINT", "BYTEA"),
    // 2: the search key (model and processor, ASCII folded) and the indexes
    // of the leaderboard and drive pages.
    "ALTER TABLE results ADD COLUMN search_key TEXT NOT NULL DEFAULT '';"
    "UPDATE results SET search_key = lower(drive_model) || chr(10) || lower(processor);"
    "CREATE INDEX results_by_speed ON results (average_ms, id);"
    "CREATE INDEX results_by_drive ON results (drive_model COLLATE \"C\", average_ms);",
    // 3: the number of results, kept by a trigger in the transaction of each
    // insert, so a listing's total is a few rows rather than a pass over all.
    // It is spread over sixteen rows by server process, so concurrent
    // uploads do not queue on one row lock until they commit. The table
    // lock holds off inserts between the first count and the trigger.
    "LOCK TABLE results IN SHARE ROW EXCLUSIVE MODE;"
    "CREATE TABLE result_count (slot INTEGER PRIMARY KEY, n BIGINT NOT NULL);"
    "INSERT INTO result_count SELECT slot, CASE WHEN slot = 0 THEN (SELECT count(*) FROM results) ELSE 0 END"
    " FROM generate_series(0, " QM_COUNT_SLOTS
    " - 1) AS slot;"
    "CREATE FUNCTION results_counted() RETURNS trigger LANGUAGE plpgsql AS $$"
    " BEGIN"
    "  UPDATE result_count SET n = n + CASE WHEN TG_OP = 'INSERT' THEN 1 ELSE -1 END"
    "   WHERE slot = pg_backend_pid() % " QM_COUNT_SLOTS
    ";"
    "  RETURN NULL;"
    " END $$;"
    "CREATE TRIGGER results_counted AFTER INSERT OR DELETE ON results"
    " FOR EACH ROW EXECUTE FUNCTION results_counted();"
    // Vacuumed after each 1 % of new rows rather than 20 %: an unfiltered
    // page reads the speed index alone only where the visibility map marks
    // the rows' pages as seen by all, and a board mostly inserts.
    "ALTER TABLE results SET (autovacuum_vacuum_insert_scale_factor = 0.01,"
    " autovacuum_analyze_scale_factor = 0.02);"
    // The planner's figures for the new table and for results as it stands.
    "ANALYZE results; ANALYZE result_count;",
    // 4: search through a trigram index of the search key (pg_trgm serves
    // LIKE '%text%'), and the speed order with the key beside it, so a
    // search that matches many results walks the order in the index alone.
    "CREATE EXTENSION IF NOT EXISTS pg_trgm;"
    "CREATE INDEX results_by_search_key ON results USING gin (search_key gin_trgm_ops);"
    "CREATE INDEX results_by_speed_key ON results (average_ms, id) INCLUDE (search_key);"
    "ANALYZE results;",
    // 5: counts kept by a trigger in the transaction of each insert and
    // delete: results per average (the histogram and the share of slower
    // results read these, not every speed), and per drive model, with the
    // number of changes, which says when a model's median is worth taking
    // again. A model's counts are spread over slots by server process, as
    // the total is, so uploads of one popular model do not queue on one row.
    // The model's own order (in the database's collation, which its
    // equality uses) gives a page of its ids from the index alone.
    "LOCK TABLE results IN SHARE ROW EXCLUSIVE MODE;"
    "CREATE TABLE speed_counts (average_ms BIGINT PRIMARY KEY, n BIGINT NOT NULL);"
    "INSERT INTO speed_counts SELECT average_ms, count(*) FROM results GROUP BY average_ms;"
    "CREATE TABLE drive_counts (drive_model TEXT NOT NULL, slot INTEGER NOT NULL, n BIGINT NOT NULL,"
    " changes BIGINT NOT NULL, PRIMARY KEY (drive_model, slot));"
    "INSERT INTO drive_counts SELECT drive_model, 0, count(*), count(*) FROM results GROUP BY drive_model;"
    "CREATE FUNCTION results_counted_by_kind() RETURNS trigger LANGUAGE plpgsql AS $$"
    " DECLARE step BIGINT := 1; changed results := NEW;"
    " BEGIN"
    "  IF TG_OP = 'DELETE' THEN step := -1; changed := OLD; END IF;"
    "  INSERT INTO speed_counts VALUES (changed.average_ms, step)"
    "   ON CONFLICT (average_ms) DO UPDATE SET n = speed_counts.n + step;"
    "  INSERT INTO drive_counts VALUES (changed.drive_model, pg_backend_pid() % " QM_COUNT_SLOTS
    ", step, 1)"
    "   ON CONFLICT (drive_model, slot) DO UPDATE SET n = drive_counts.n + step,"
    "    changes = drive_counts.changes + 1;"
    "  RETURN NULL;"
    " END $$;"
    "CREATE TRIGGER results_counted_by_kind AFTER INSERT OR DELETE ON results"
    " FOR EACH ROW EXECUTE FUNCTION results_counted_by_kind();"
    "CREATE INDEX results_by_model ON results (drive_model, average_ms, id);"
    "ANALYZE results; ANALYZE speed_counts; ANALYZE drive_counts;",
    // 6: the sender's delete token (its SHA-256; results stored before have none).
    "ALTER TABLE results ADD COLUMN delete_token_sha256 TEXT NOT NULL DEFAULT '';",
    SPEED_BINS_STEP.c_str(),
    RECOUNT_STEP.c_str(),
    SEARCH_KEY_STEP,
    COUNTED_BY_STATEMENT_STEP,
};

}  // namespace qm
