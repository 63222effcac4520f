// Backups of the board: a consistent copy of every result in a SQLite file,
// taken while the board serves, and the copy loaded into another database
// (SQLite or PostgreSQL) with the same ids, times and files, so the board
// served from it gives the same answers.
#pragma once

#include <cstdint>
#include <string>

#include "results/result_store.h"

namespace qm {

// Writes the copy to path, which must not exist yet: SQLite's online backup
// of a SQLite board, or for PostgreSQL a SQLite file of the same results,
// read in one snapshot. The file appears whole or not at all.
bool BackupResults(ResultStore* store, const std::string& path, int64_t* copied, std::string* error);

// Loads the copy at path into store, which must hold no results yet.
bool ImportBackup(ResultStore* store, const std::string& path, int64_t* loaded, std::string* error);

}  // namespace qm
