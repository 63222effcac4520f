// `quillmark-results import`: validation files received by mail, added to
// the board's database, in batches of 1,000 files a transaction.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "results/result_store.h"

namespace qm {

struct ImportCounts {
  int64_t added = 0;
  int64_t duplicates = 0;
  int64_t rejected = 0;  // files that were not stored, whatever the reason
};

// Reads, checks and stores each file, writing one line per file to out:
// "added <id> <file>", "duplicate <id> <file>" or "rejected <file>: <reason>".
// With progress (a terminal) a bar on it shows how far the import is.
ImportCounts ImportFiles(ResultStore* store, const std::vector<std::string>& files, std::FILE* out,
                         std::FILE* progress);

// The file's bytes, or false and why not. Files larger than any validation
// file are not read.
bool ReadValidationFile(const std::string& path, std::string* bytes, std::string* reason);

}  // namespace qm
