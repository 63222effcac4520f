// "Save window of Quillmark and txt to drive": the text report, its
// validation file and a snapshot of the main window, all named after the
// local date and time of the save, in the current directory.
#pragma once

#include "engine/run_results.h"
#include "export/export_hooks.h"
#include "export/report_text.h"
#include "platform/text.h"

namespace qm {

// "No data." when there is no finished run, and nothing else. Otherwise sets
// *reportBaseName to "info_" + stamp (it keeps that value until the next
// save), writes reportBaseName + ".txt" (replacing a file of that name), its
// validation file (with that file's message), the window snapshot
// "Quillmark_window_" + stamp + ".bmp", and shows "Quillmark files have been
// saved." (or that they could not be, when the report or its validation file
// could not be written). Returns true when the report and its validation
// file were written.
bool SaveResults(const RunResults& results, const ReportInputs& inputs, Text* reportBaseName,
                 const ExportHooks& hooks);

}  // namespace qm
