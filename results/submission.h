// Taking a validation file: decrypt, check that it is a Quillmark report,
// keep it. Shared by `serve` (the upload form and the API), `import` and the
// tests.
#pragma once

#include <string>
#include <vector>

#include "results/result_record.h"
#include "results/result_store.h"

namespace qm {

enum class SubmissionKind { Added, Duplicate, Rejected, Failed };

struct SubmissionOutcome {
  SubmissionKind kind = SubmissionKind::Failed;
  int64_t id = 0;           // Added and Duplicate
  std::string reason;       // Rejected: names the check that failed; Failed: the storage error
  ResultRecord record;      // Added and Duplicate: the stored fields
  std::string deleteToken;  // Added by SubmitValidationFile: the sender's delete token, shown once
};

// An upload: an added result gets a delete token, which only the outcome holds.
SubmissionOutcome SubmitValidationFile(ResultStore* store, const std::string& verifyBytes);

// Several files, the accepted ones stored in one transaction (as `import`
// takes them); one outcome per file, in order. A file that repeats an
// earlier one of the same call is its Duplicate.
std::vector<SubmissionOutcome> SubmitValidationFiles(ResultStore* store,
                                                     const std::vector<std::string>& files);

}  // namespace qm
