// The fields of a result as pages show them, named and in order: the
// result page lists them, the comparison page sets them side by side.
#pragma once

#include <string>
#include <vector>

#include "results/result_record.h"

namespace qm {

struct ResultField {
  const char* name;
  std::string html;  // the value, escaped
};

std::vector<ResultField> ResultFields(const ResultRecord& r);

}  // namespace qm
