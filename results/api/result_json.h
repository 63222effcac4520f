// The JSON twins of the board's listings. Texts go in as the sender wrote
// them; DumpJson makes the output valid UTF-8 whatever they hold.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "results/result_record.h"

namespace qm {

// A result as listed: every field but the report and the validation file.
nlohmann::json ResultSummaryJson(const ResultRecord& record);

// One result with its report text and the address of its validation file.
nlohmann::json ResultDetailJson(const ResultRecord& record);

nlohmann::json DriveJson(const DriveSummary& drive);

// {"error": message}
nlohmann::json ErrorJson(const std::string& message);

// Compact text; bytes that are not UTF-8 become U+FFFD rather than an exception.
std::string DumpJson(const nlohmann::json& value);

}  // namespace qm
