#include "results/sqlite/sqlite_schema.h"
#include "results/store_backend.h"

namespace qm {

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
};

}  // namespace qm
