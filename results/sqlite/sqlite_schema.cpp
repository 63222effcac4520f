#include "results/sqlite/sqlite_schema.h"

namespace qm {

const char* const SQLITE_MIGRATIONS[SQLITE_SCHEMA_VERSION] = {
    // 1: the results as the first board kept them.
    "CREATE TABLE results ("
    " id INTEGER PRIMARY KEY,"
    " report_sha256 TEXT NOT NULL UNIQUE,"
    " edition TEXT NOT NULL,"
    " processor TEXT NOT NULL,"
    " board TEXT NOT NULL,"
    " graphics TEXT NOT NULL,"
    " total_memory TEXT NOT NULL,"
    " os_name TEXT NOT NULL,"
    " os_build TEXT NOT NULL,"
    " drive_under_test TEXT NOT NULL,"
    " drive_capacity TEXT NOT NULL,"
    " drive_model TEXT NOT NULL,"
    " average_ms INTEGER NOT NULL CHECK (average_ms > 0),"
    " speed_text TEXT NOT NULL,"
    " submitted_utc TEXT NOT NULL,"
    " report BLOB NOT NULL,"
    " validation_file BLOB NOT NULL);",
    // 2: the search key (model and processor, ASCII folded; SQLite's lower()
    // folds ASCII only) and the indexes of the leaderboard and drive pages.
    "ALTER TABLE results ADD COLUMN search_key TEXT NOT NULL DEFAULT '';"
    "UPDATE results SET search_key = lower(drive_model) || char(10) || lower(processor);"
    "CREATE INDEX results_by_speed ON results (average_ms, id);"
    "CREATE INDEX results_by_drive ON results (drive_model, average_ms);",
};

}  // namespace qm
