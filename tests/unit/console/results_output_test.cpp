#include <gtest/gtest.h>

#include "console/drive_lines.h"
#include "console/json_results.h"
#include "console/run_statistics.h"

namespace qm {
namespace {

RunResults FinishedRun() {
  RunResults results;
  results.cycleMs = {1000, 1100, 1000, 1100, 1000, 1100, 1000, 1100, 1000, 1100};
  results.averageMs = 1050;
  results.mbPerSecond = 1.9047619047619047;
  results.mbPerSecondText = u"1.905";
  results.completedMarker = COMPLETED_MARKER;
  return results;
}

TEST(CycleStatistics, GivesMinimumMaximumAndSampleDeviation) {
  const CycleStatistics spread = StatisticsOf(FinishedRun().cycleMs);
  EXPECT_EQ(spread.minimumMs, 1000);
  EXPECT_EQ(spread.maximumMs, 1100);
  EXPECT_NEAR(spread.standardDeviationMs, 52.7046, 1e-4);  // sqrt(10 * 50^2 / 9)

  const CycleStatistics flat = StatisticsOf({7, 7, 7, 7, 7, 7, 7, 7, 7, 7});
  EXPECT_EQ(flat.minimumMs, 7);
  EXPECT_EQ(flat.maximumMs, 7);
  EXPECT_EQ(flat.standardDeviationMs, 0.0);

  EXPECT_EQ(StatisticsLines(FinishedRun()),
            "minimum 1000\nmaximum 1100\ndeviation 52.70\nunit MiB/s (2097152 bytes per cycle)\n");
}

TEST(JsonString, EscapesQuotesBackslashesAndControlCharacters) {
  const std::pair<Text, std::string> cases[] = {
      {u"plain", "\"plain\""},
      {u"say \"hi\"", "\"say \\\"hi\\\"\""},
      {u"C:\\", "\"C:\\\\\""},
      {u"a\nb\rc\td", "\"a\\nb\\rc\\td\""},
      {Text(1, u'\x01') + u"\x1b", "\"\\u0001\\u001b\""},
      {u"Gr\u00fc\u00dfe \u20ac",
       "\"Gr\xc3\xbc\xc3\x9f"
       "e \xe2\x82\xac\""},
      {Text(1, u'\xd800'), "\"\xef\xbf\xbd\""},  // an unpaired surrogate becomes U+FFFD
  };
  for (const auto& [text, json] : cases) EXPECT_EQ(JsonString(text), json);
}

TEST(ResultsJson, IsOneObjectWithEveryFigure) {
  JsonResultInputs inputs;
  inputs.systemInfoLines = {u"CPU Name: Test \"CPU\"", u"Memory Bank Numbers: 0"};
  inputs.driveUnderTest = u"/";
  inputs.driveListText = u"/\n465.762\nModel\n---\r\r/media/x\nUSB\nEXT \n---\n\n---\r";
  EXPECT_EQ(ResultsJson(FinishedRun(), inputs),
            "{\"program\":\"Quillmark V2.08 - Orvanta\","
            "\"cycleMs\":[1000,1100,1000,1100,1000,1100,1000,1100,1000,1100],"
            "\"averageMs\":1050,\"speed\":1.905,\"unit\":\"MiB/s\",\"bytesPerCycle\":2097152,"
            "\"minimumMs\":1000,\"maximumMs\":1100,\"standardDeviationMs\":52.70,"
            "\"systemInfo\":[\"CPU Name: Test \\\"CPU\\\"\",\"Memory Bank Numbers: 0\"],"
            "\"driveUnderTest\":\"/\","
            "\"drives\":[[\"/\",\"465.762\",\"Model\",\"---\"],[\"/media/x\",\"USB\",\"EXT "
            "\",\"---\",\"\",\"---\"]]}\n");
}

TEST(ResultsJson, WritesNullForASpeedThatIsNotANumber) {
  RunResults results = FinishedRun();
  results.mbPerSecondText = u"inf";
  const std::string json = ResultsJson(results, {});
  EXPECT_NE(json.find("\"speed\":null,"), std::string::npos);
  EXPECT_NE(json.find("\"systemInfo\":[],\"driveUnderTest\":\"\",\"drives\":[]}"), std::string::npos);
}

TEST(ConsoleDriveList, TerminalLinesEndAtEveryBreak) {
  EXPECT_EQ(DriveListLines(u"/\n1.000\n\n---\r\r/b\n---\r"), "/\n1.000\n\n---\n\n/b\n---\n");
}

}  // namespace
}  // namespace qm
