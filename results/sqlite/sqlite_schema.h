// The SQLite schema by versions: step k takes a database of version k - 1
// to version k (PRAGMA user_version). Opening runs the missing steps.
#pragma once

namespace qm {

constexpr int SQLITE_SCHEMA_VERSION = 9;
extern const char* const SQLITE_MIGRATIONS[SQLITE_SCHEMA_VERSION];

}  // namespace qm
