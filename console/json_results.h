// The results of a complete run as one JSON object, for scripts
// (quillmark --json).
#pragma once

#include <string>
#include <vector>

#include "engine/run_results.h"
#include "platform/text.h"

namespace qm {

// What the object tells besides RunResults.
struct JsonResultInputs {
  std::vector<Text> systemInfoLines;
  Text driveUnderTest;
  Text driveListText;  // descriptions ended by carriage returns, lines by line feeds
};

// text as a JSON string, quotes included: UTF-8, with quote, backslash and
// the C0 control characters escaped.
std::string JsonString(TextView text);

// One line, ending in "\n":
// {"program":"Quillmark V2.08 - Orvanta","cycleMs":[..ten..],"averageMs":N,
//  "speed":1.234,"unit":"MiB/s","bytesPerCycle":2097152,"minimumMs":N,
//  "maximumMs":N,"standardDeviationMs":N.NN,"systemInfo":["..."],
//  "driveUnderTest":"...","drives":[["line","line"],...]}
// speed is the speed text, three decimals, as the report writes it.
std::string ResultsJson(const RunResults& results, const JsonResultInputs& inputs);

}  // namespace qm
