// /results.csv: every result as one CSV row (RFC 4180, CR LF). Every field
// is quoted, and a text that a spreadsheet would take for a formula gets a
// leading apostrophe, since every field comes from whoever sent the file.
#pragma once

#include <string>
#include <string_view>

#include "results/result_record.h"

namespace qm {

std::string CsvField(std::string_view text);
std::string CsvHeader();
std::string CsvRow(const ResultRecord& record);

}  // namespace qm
