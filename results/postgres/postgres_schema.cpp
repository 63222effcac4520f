#include "results/postgres/postgres_schema.h"
#include "results/store_backend.h"

namespace qm {

const char* const POSTGRES_MIGRATIONS[POSTGRES_SCHEMA_VERSION] = {
    // 1: the results as the first board kept them.
    QM_RESULTS_TABLE("BIGSERIAL PRIMARY KEY", "BIGINT", "BYTEA"),
    // 2: the search key (model and processor, ASCII folded) and the indexes
    // of the leaderboard and drive pages.
    "ALTER TABLE results ADD COLUMN search_key TEXT NOT NULL DEFAULT '';"
    "UPDATE results SET search_key = lower(drive_model) || chr(10) || lower(processor);"
    "CREATE INDEX results_by_speed ON results (average_ms, id);"
    "CREATE INDEX results_by_drive ON results (drive_model COLLATE \"C\", average_ms);",
};

}  // namespace qm
