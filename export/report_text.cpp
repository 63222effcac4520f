#include "export/report_text.h"

#include "engine/program_identity.h"

namespace qm {
namespace {

Text TwoDigits(int value) {
  Text digits = DecimalText(static_cast<int64_t>(value));
  return digits.size() < 2 ? u"0" + digits : digits;
}

Text FourDigits(int value) {
  Text digits = DecimalText(static_cast<int64_t>(value));
  while (digits.size() < 4) digits.insert(digits.begin(), u'0');
  return digits;
}

// A line of the system information box as the box hands it out may still
// carry its line break.
Text WithoutLineBreak(Text line) {
  while (!line.empty() && (line.back() == u'\r' || line.back() == u'\n')) line.pop_back();
  return line;
}

}  // namespace

Text FormatReportStamp(const LocalTime& date, const LocalTime& time) {
  return TwoDigits(date.month) + u"_" + TwoDigits(date.day) + u"_" + FourDigits(date.year) + u"_" +
         TwoDigits(time.hour) + u"_" + TwoDigits(time.minute) + u"_" + TwoDigits(time.second);
}

Text ReportStamp() {
  LocalTime date = Clock().localTime();
  LocalTime time = Clock().localTime();
  return FormatReportStamp(date, time);
}

Text ReportBaseName(const Text& stamp) { return u"info_" + stamp; }

Text WindowSnapshotName(const Text& stamp) { return u"Quillmark_window_" + stamp + u".bmp"; }

std::string ReportBytes(const RunResults& results, const ReportInputs& inputs) {
  std::vector<Text> records;
  records.push_back(Text(PROGRAM_TITLE) + u"\r");
  for (const Text& line : inputs.systemInfoLines) records.push_back(WithoutLineBreak(line));
  records.push_back(Text());  // the line index past the box's last line
  records.push_back(u"\rDrive test: " + inputs.driveUnderTest + u"\r");
  records.push_back(inputs.driveListText);
  Text average = DecimalText(results.averageMs);
  records.push_back(u"Average of results: " + average);
  records.push_back(u"Byets written in " + average + u" milliseconds: 2097152");
  records.push_back(u"MB/s: " + results.mbPerSecondText);

  std::string bytes;
  for (const Text& record : records) bytes += Utf8(record) + "\r\n";
  return bytes;
}

}  // namespace qm
