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
};

}  // namespace qm
