// The text report of a finished run: its name, made from the local date and
// time, and its bytes, UTF-8 without a byte-order mark, CR LF after every
// record.
#pragma once

#include <string>
#include <vector>

#include "engine/run_results.h"
#include "platform/clock.h"
#include "platform/text.h"

namespace qm {

// What the report shows besides the results, as the main window holds it.
struct ReportInputs {
  // The lines of the system information box, without line breaks; their
  // count is the box's line count.
  std::vector<Text> systemInfoLines;
  // The first three characters of the current directory, as shown in the
  // "This drive" box.
  Text driveUnderTest;
  // The drive list exactly as it was put into the drive box.
  Text driveListText;
};

// MM_DD_YYYY taken from date, then HH_MM_SS taken from time, joined by "_".
Text FormatReportStamp(const LocalTime& date, const LocalTime& time);

// The stamp of a save now: two readings of the local clock, the date from the
// first and the time from the second.
Text ReportStamp();

// "info_" + stamp: the report's name without ".txt".
Text ReportBaseName(const Text& stamp);

// "Quillmark_window_" + stamp + ".bmp".
Text WindowSnapshotName(const Text& stamp);

// The report's bytes.
std::string ReportBytes(const RunResults& results, const ReportInputs& inputs);

}  // namespace qm
