// The console edition keeps its result as the window program does: after a
// complete run it writes the text report "info_" + date and time + ".txt"
// and its validation file into the current folder (no window snapshot).
#pragma once

#include <cstdio>

#include "engine/run_results.h"
#include "export/report_text.h"
#include "platform/text.h"

namespace qm {

// inputs: the system information lines and drive list the console showed,
// and the drive under test. The messages go to out, one line each. Returns
// the report's file name, or an empty text when it could not be saved.
Text SaveConsoleReport(const RunResults& results, const ReportInputs& inputs, std::FILE* out);

}  // namespace qm
