// The paging a drive model's page and its JSON twin both take: ?page=N,
// and ?after=AVERAGE-ID, which enters the model's index at that result
// rather than counting from the first.
#pragma once

#include <string>

#include "results/http/http_exchange.h"
#include "results/result_record.h"

namespace qm {

struct DrivePaging {
  int64_t pageNumber = 1;
  ResultQuery query;  // offset, limit and after; no text, no model
};

// "" when the parameters are good, else what is wrong with them.
std::string ReadDrivePaging(const HttpRequest& req, DrivePaging* paging);

}  // namespace qm
