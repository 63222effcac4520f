// The one read behind /compare and /api/compare: the results a request
// names, in its order, or why it cannot be answered.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "results/http/http_exchange.h"
#include "results/result_store.h"

namespace qm {

struct Comparison {
  int status = 200;                      // 400 bad ids, 404 one does not exist, 503 the store failed
  std::string problem;                   // what was wrong, when status is not 200
  std::vector<ResultRecord> results;     // outliers marked
  std::vector<SpeedStanding> standings;  // each result's place among all, in the same order
};

// The ids of ?ids=: a comma-separated list, a parameter given once per id
// (as a form of checkboxes sends it), or both. Spaces around an id and
// empty entries (an unfilled text field) are passed over. false: *problem
// says what is wrong (too few, too many, not a number, repeated).
bool ParseCompareIds(const HttpRequest& req, std::vector<int64_t>* ids, std::string* problem);

Comparison ReadComparison(ResultStore* store, const HttpRequest& req);

}  // namespace qm
