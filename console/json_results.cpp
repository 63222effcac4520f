#include "console/json_results.h"

#include <cstdio>

#include "console/run_statistics.h"
#include "engine/program_identity.h"

namespace qm {
namespace {

std::string Number(int64_t value) { return std::to_string(value); }

// The speed text as a JSON number; null should it not be one (a run whose
// average was 0 ms has no finite speed).
std::string SpeedNumber(const Text& speedText) {
  std::string digits = Utf8(speedText);
  if (digits.empty() || digits.find_first_not_of("0123456789.-") != std::string::npos) return "null";
  return digits;
}

std::string StringArray(const std::vector<Text>& texts) {
  std::string array = "[";
  for (size_t i = 0; i < texts.size(); ++i) {
    if (i > 0) array += ",";
    array += JsonString(texts[i]);
  }
  return array + "]";
}

// Each description (ended by a carriage return) as an array of its lines;
// the empty paragraphs between descriptions are dropped.
std::string DriveArrays(const Text& driveListText) {
  std::string arrays = "[";
  bool first = true;
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
    if (!first) arrays += ",";
    arrays += StringArray(lines);
    first = false;
  }
  return arrays + "]";
}

}  // namespace

std::string JsonString(TextView text) {
  const std::string utf8 = Utf8(text);
  std::string json = "\"";
  for (char c : utf8) {
    const unsigned char byte = static_cast<unsigned char>(c);
    switch (c) {
      case '"': json += "\\\""; break;
      case '\\': json += "\\\\"; break;
      case '\n': json += "\\n"; break;
      case '\r': json += "\\r"; break;
      case '\t': json += "\\t"; break;
      default:
        if (byte < 0x20 || byte == 0x7f) {
          char escape[8];
          std::snprintf(escape, sizeof escape, "\\u%04x", byte);
          json += escape;
        } else {
          json += c;
        }
    }
  }
  return json + "\"";
}

std::string ResultsJson(const RunResults& results, const JsonResultInputs& inputs) {
  const CycleStatistics statistics = StatisticsOf(results.cycleMs);
  char deviation[32];
  std::snprintf(deviation, sizeof deviation, "%.2f", statistics.standardDeviationMs);

  std::string json = "{\"program\":" + JsonString(PROGRAM_TITLE) + ",\"cycleMs\":[";
  for (int k = 0; k < CYCLES_PER_RUN; ++k) {
    if (k > 0) json += ",";
    json += Number(results.cycleMs[k]);
  }
  json += "],\"averageMs\":" + Number(results.averageMs);
  json += ",\"speed\":" + SpeedNumber(results.mbPerSecondText);
  json += ",\"unit\":\"MiB/s\",\"bytesPerCycle\":" + Number(BYTES_PER_CYCLE);
  json += ",\"minimumMs\":" + Number(statistics.minimumMs);
  json += ",\"maximumMs\":" + Number(statistics.maximumMs);
  json += ",\"standardDeviationMs\":" + std::string(deviation);
  json += ",\"systemInfo\":" + StringArray(inputs.systemInfoLines);
  json += ",\"driveUnderTest\":" + JsonString(inputs.driveUnderTest);
  json += ",\"drives\":" + DriveArrays(inputs.driveListText);
  return json + "}\n";
}

}  // namespace qm
