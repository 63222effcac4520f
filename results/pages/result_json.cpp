#include "results/pages/result_json.h"

#include "results/pages/html_text.h"
#include "results/pages/result_page.h"

namespace qm {

nlohmann::json ResultSummaryJson(const ResultRecord& r) {
  return {{"id", r.id},
          {"url", "/results/" + std::to_string(r.id)},
          {"edition", r.edition},
          {"driveUnderTest", r.driveUnderTest},
          {"driveModel", r.driveModel},
          {"driveCapacity", r.driveCapacity},
          {"averageMs", r.averageMs},
          {"speed", r.speedText},
          {"processor", r.processor},
          {"board", r.board},
          {"graphics", r.graphics},
          {"totalMemory", r.totalMemory},
          {"osName", r.osName},
          {"osBuild", r.osBuild},
          {"submitted", r.submittedUtc},
          {"reportSha256", r.reportSha256},
          {"outlier", r.outlier}};
}

namespace {

// The listing's members from "results" on, closing the object.
std::string ResultsAndTotal(const ResultPage& page) {
  std::string text = "\"results\":[";
  for (size_t i = 0; i < page.results.size(); ++i) {
    if (i > 0) text += ',';
    text += DumpJson(ResultSummaryJson(page.results[i]));
  }
  return text + "],\"total\":" + std::to_string(page.total) +
         (page.totalCapped ? ",\"totalCapped\":true}" : "}");
}

}  // namespace

std::string ResultListJson(const ResultPage& page, int64_t offset, int64_t limit) {
  // The keys in the order of nlohmann's objects (sorted), as one tree dumps them.
  return "{\"limit\":" + std::to_string(limit) + ",\"offset\":" + std::to_string(offset) + "," +
         ResultsAndTotal(page);
}

nlohmann::json ResultDetailJson(const ResultRecord& r, const SpeedStanding& standing) {
  nlohmann::json json = ResultSummaryJson(r);
  json["report"] = r.report;
  json["validationFileUrl"] = "/results/" + std::to_string(r.id) + ".verify";
  json["fasterThanPercent"] = FasterThanPercent(standing);
  return json;
}

std::string DrivePageJson(const DrivePageData& data) {
  nlohmann::json head = DriveJson(data.figures.summary);
  head["outlierFences"] = data.fences.active ? nlohmann::json{{"lowSpeed", data.fences.lowSpeed},
                                                              {"highSpeed", data.fences.highSpeed}}
                                             : nlohmann::json(nullptr);
  head["page"] = data.pageNumber;
  head["offset"] = data.offset;
  head["limit"] = data.limit;
  if (!data.page.results.empty() && data.page.total > data.offset + data.limit) {
    const ResultRecord& last = data.page.results.back();
    head["next"] = "/api/drives/" + PercentEncode(data.figures.summary.model) +
                   "?page=" + std::to_string(data.pageNumber + 1) +
                   "&after=" + std::to_string(last.averageMs) + "-" + std::to_string(last.id);
  }
  // The results, one at a time as the listing writes them, then the total.
  std::string text = DumpJson(head);
  text.pop_back();
  return text + "," + ResultsAndTotal(data.page);
}

nlohmann::json DriveJson(const DriveSummary& d) {
  return {{"model", d.model},
          {"count", d.count},
          {"medianSpeed", d.medianSpeed},
          {"lowerQuartileSpeed", d.lowerQuartileSpeed},
          {"upperQuartileSpeed", d.upperQuartileSpeed},
          {"bestSpeed", d.bestSpeed},
          {"worstSpeed", d.worstSpeed}};
}

nlohmann::json ErrorJson(const std::string& message) { return {{"error", message}}; }

std::string DumpJson(const nlohmann::json& value) {
  return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace qm
