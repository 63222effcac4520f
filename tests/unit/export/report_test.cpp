// The report's bytes and its name, from hand-filled inputs.
#include <gtest/gtest.h>

#include "export/report_text.h"
#include "export_test_support.h"

namespace qm {
namespace {

RunResults Finished(int64_t averageMs, const char* speed) {
  RunResults results;
  results.completedMarker = COMPLETED_MARKER;
  results.averageMs = averageMs;
  results.mbPerSecondText = Ascii(speed);
  return results;
}

TEST(ReportBytes, RecordLayoutByteForByte) {
  ReportInputs inputs;
  inputs.systemInfoLines = {u"CPU: Ry\u00e9n 7 \u2122", u"Board: X570\r", u""};
  inputs.driveUnderTest = u"C:\\";
  inputs.driveListText = u"C:\\ 931 GB\r\nModel one\nlayout ---\r\nZ:\\ 10 GB";
  const std::string expected =
      "Quillmark V2.08 - Orvanta\r\r\n"
      "CPU: Ry\xc3\xa9n 7 \xe2\x84\xa2\r\n"
      "Board: X570\r\n"
      "\r\n"
      "\r\n"
      "\rDrive test: C:\\\r\r\n"
      "C:\\ 931 GB\r\nModel one\nlayout ---\r\nZ:\\ 10 GB\r\n"
      "Average of results: 1234\r\n"
      "Byets written in 1234 milliseconds: 2097152\r\n"
      "MB/s: 1.699\r\n";
  EXPECT_EQ(ReportBytes(Finished(1234, "1.699"), inputs), expected);
}

// Splits at CR LF; the bytes end with one, so the last piece is dropped.
std::vector<std::string> Records(const std::string& bytes) {
  std::vector<std::string> records;
  size_t start = 0;
  for (size_t at; (at = bytes.find("\r\n", start)) != std::string::npos; start = at + 2)
    records.push_back(bytes.substr(start, at - start));
  EXPECT_EQ(start, bytes.size());
  return records;
}

TEST(ReportBytes, MachineWithoutMemoryModulesAndClosingRecords) {
  ReportInputs inputs;
  for (int line = 1; line <= 16; ++line)
    inputs.systemInfoLines.push_back(u"line " + DecimalText(int64_t{line}));
  inputs.driveUnderTest = u"Z:\\";
  inputs.driveListText = u"Z:\\ one line";
  auto records = Records(ReportBytes(Finished(2000, "1.000"), inputs));
  ASSERT_EQ(records.size(), 1u + 17 + 1 + 1 + 3);
  EXPECT_EQ(records[16], "line 16");
  EXPECT_EQ(records[17], "");  // the 17th system record, past the box's last line
  EXPECT_EQ(records[18], "\rDrive test: Z:\\\r");
  EXPECT_EQ(records[19], "Z:\\ one line");
  EXPECT_EQ(records[20], "Average of results: 2000");
  EXPECT_EQ(records[21], "Byets written in 2000 milliseconds: 2097152");
  EXPECT_EQ(records[22], "MB/s: 1.000");
}

TEST(ReportStamp, FieldsArePaddedAndNamed) {
  EXPECT_EQ(FormatReportStamp({2025, 12, 31, 23, 59, 7}, {2025, 12, 31, 23, 59, 7}), u"12_31_2025_23_59_07");
  EXPECT_EQ(FormatReportStamp({2026, 1, 2, 3, 4, 5}, {2026, 1, 2, 3, 4, 5}), u"01_02_2026_03_04_05");
  EXPECT_EQ(ReportBaseName(u"01_02_2026_03_04_05"), u"info_01_02_2026_03_04_05");
  EXPECT_EQ(WindowSnapshotName(u"01_02_2026_03_04_05"), u"Quillmark_window_01_02_2026_03_04_05.bmp");
}

class ReportStampClock : public InFreshFolder {};

TEST_F(ReportStampClock, DateFromFirstReadingTimeFromSecond) {
  // Across midnight the stamp joins the old date with the new time.
  PutScriptedClock({{2025, 12, 31, 23, 59, 59}, {2026, 1, 1, 0, 0, 0}});
  EXPECT_EQ(ReportStamp(), u"12_31_2025_00_00_00");
}

}  // namespace
}  // namespace qm
