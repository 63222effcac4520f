// The JSON twins of the board's listings. Texts go in as the sender wrote
// them; DumpJson makes the output valid UTF-8 whatever they hold.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "results/page_reads.h"
#include "results/result_record.h"

namespace qm {

// A result as listed: every field but the report and the validation file.
nlohmann::json ResultSummaryJson(const ResultRecord& record);

// The text of GET /api/results: {"limit", "offset", "results", "total"},
// exactly as DumpJson gives that object, but written one result at a time
// (a page's whole tree, built and torn down, costs more than reading the
// page from the database).
std::string ResultListJson(const ResultPage& page, int64_t offset, int64_t limit);

// One result with its report text, the address of its validation file and
// the share of results it is faster than.
nlohmann::json ResultDetailJson(const ResultRecord& record, const SpeedStanding& standing);

// GET /api/drives/<model>: the model's figures as DriveJson gives them, its
// outlier fences (null under OUTLIER_MIN_RESULTS), and one page of its
// results as /api/results lists them, with the address of the next page
// while there is one.
std::string DrivePageJson(const DrivePageData& data);

nlohmann::json DriveJson(const DriveSummary& drive);

// {"error": message}
nlohmann::json ErrorJson(const std::string& message);

// Compact text; bytes that are not UTF-8 become U+FFFD rather than an exception.
std::string DumpJson(const nlohmann::json& value);

}  // namespace qm
