#include "console/json_results.h"

#include <cstdio>
#include <nlohmann/json.hpp>

#include "console/run_statistics.h"
#include "engine/program_identity.h"

namespace qm {
namespace {

using Json = nlohmann::ordered_json;

// nlohmann-json writes a double in its shortest form (52.7), but the speed
// and the deviation keep their fixed decimals (52.70), as the report and
// the terminal show them. They go into the tree as marked strings, which
// no text of a run can equal since the mark begins with a NUL, and leave
// the text as bare numbers.
constexpr char DECIMAL_MARK[] = "\\u0000decimal:";  // as the JSON text writes the mark

std::string MarkedDecimal(const std::string& digits) { return std::string(1, '\0') + "decimal:" + digits; }

void UnmarkDecimals(std::string& json) {
  size_t at = 0;
  while ((at = json.find(std::string("\"") + DECIMAL_MARK, at)) != std::string::npos) {
    const size_t digits = at + 1 + sizeof DECIMAL_MARK - 1;
    const size_t close = json.find('"', digits);
    json = json.substr(0, at) + json.substr(digits, close - digits) + json.substr(close + 1);
  }
}

// The speed text as a JSON number; null should it not be one (a run whose
// average was 0 ms has no finite speed).
Json SpeedNumber(const Text& speedText) {
  std::string digits = Utf8(speedText);
  if (digits.empty() || digits.find_first_not_of("0123456789.-") != std::string::npos) return nullptr;
  return MarkedDecimal(digits);
}

Json StringArray(const std::vector<Text>& texts) {
  Json array = Json::array();
  for (const Text& text : texts) array.push_back(Utf8(text));
  return array;
}

// Each description (ended by a carriage return) as an array of its lines;
// the empty paragraphs between descriptions are dropped.
Json DriveArrays(const Text& driveListText) {
  Json arrays = Json::array();
  size_t at = 0;
  while (at < driveListText.size()) {
    size_t end = driveListText.find(u'\r', at);
    if (end == Text::npos) end = driveListText.size();
    const Text description = driveListText.substr(at, end - at);
    at = end + 1;
    if (description.empty()) continue;
    std::vector<Text> lines;
    size_t lineAt = 0;
    while (true) {
      size_t lineEnd = description.find(u'\n', lineAt);
      lines.push_back(description.substr(lineAt, lineEnd == Text::npos ? Text::npos : lineEnd - lineAt));
      if (lineEnd == Text::npos) break;
      lineAt = lineEnd + 1;
    }
    arrays.push_back(StringArray(lines));
  }
  return arrays;
}

}  // namespace

std::string JsonString(TextView text) { return Json(Utf8(text)).dump(); }

std::string ResultsJson(const RunResults& results, const JsonResultInputs& inputs) {
  const CycleStatistics statistics = StatisticsOf(results.cycleMs);
  char deviation[32];
  std::snprintf(deviation, sizeof deviation, "%.2f", statistics.standardDeviationMs);

  Json object;
  object["program"] = Utf8(PROGRAM_TITLE);
  object["cycleMs"] = results.cycleMs;
  object["averageMs"] = results.averageMs;
  object["speed"] = SpeedNumber(results.mbPerSecondText);
  object["unit"] = "MiB/s";
  object["bytesPerCycle"] = BYTES_PER_CYCLE;
  object["minimumMs"] = statistics.minimumMs;
  object["maximumMs"] = statistics.maximumMs;
  object["standardDeviationMs"] = MarkedDecimal(deviation);
  object["systemInfo"] = StringArray(inputs.systemInfoLines);
  object["driveUnderTest"] = Utf8(inputs.driveUnderTest);
  object["drives"] = DriveArrays(inputs.driveListText);
  std::string json = object.dump();
  UnmarkDecimals(json);
  return json + "\n";
}

}  // namespace qm
