#include "results/pages/result_json.h"

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
          {"reportSha256", r.reportSha256}};
}

std::string ResultListJson(const ResultPage& page, int64_t offset, int64_t limit) {
  // The keys in the order of nlohmann's objects (sorted), as one tree dumps them.
  std::string text =
      "{\"limit\":" + std::to_string(limit) + ",\"offset\":" + std::to_string(offset) + ",\"results\":[";
  for (size_t i = 0; i < page.results.size(); ++i) {
    if (i > 0) text += ',';
    text += DumpJson(ResultSummaryJson(page.results[i]));
  }
  return text + "],\"total\":" + std::to_string(page.total) +
         (page.totalCapped ? ",\"totalCapped\":true}" : "}");
}

nlohmann::json ResultDetailJson(const ResultRecord& r) {
  nlohmann::json json = ResultSummaryJson(r);
  json["report"] = r.report;
  json["validationFileUrl"] = "/results/" + std::to_string(r.id) + ".verify";
  return json;
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
