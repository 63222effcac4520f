// The console edition keeps its result as the window program does: after a
// complete run it writes the text report "info_" + date and time + ".txt"
// and its validation file into the current folder (no window snapshot).
#pragma once

#include <cstdio>
#include <vector>

#include "engine/run_results.h"
#include "platform/text.h"

namespace qm {

// The report holds what the console showed: its system information lines,
// the mount point holding the current folder as the drive under test, and
// the drive list. The messages go to out, one line each, then the report's
// name. Returns the report's file name, or an empty text when it could not
// be saved.
struct ConsoleReportInputs {
  std::vector<Text> systemInfoLines;
  Text driveUnderTest;
  Text driveListText;
};
Text SaveConsoleReport(const RunResults& results, const ConsoleReportInputs& shown, std::FILE* out);

}  // namespace qm
