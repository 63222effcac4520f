// The console edition keeps its result as the window program does: after a
// complete run it writes the text report "info_" + date and time + ".txt"
// and its validation file into the current folder (no window snapshot).
#pragma once

#include <cstdio>
#include <vector>

#include "engine/run_results.h"
#include "platform/text.h"

namespace qm {

// systemInfoLines: the system information lines the console showed. The
// drive under test and the drive list are those of the window program
// (DriveUnderTestRoot, the Linux drive list). The messages go to out, one
// line each, then the report's name. Returns the report's file name, or an
// empty text when it could not be saved.
Text SaveConsoleReport(const RunResults& results, const std::vector<Text>& systemInfoLines, std::FILE* out);

}  // namespace qm
