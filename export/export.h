// Saving results: the text report, its validation file and window snapshots.
//
// The main window keeps a Text reportBaseName (empty at startup) and fills in
// ExportHooks once:
//
//   qm::ExportHooks hooks{
//       [](const qm::Text& text) { /* MessageBoxW(window, text, PROGRAM_TITLE, MB_OK) */ },
//       [] { /* process every pending event without waiting */ },
//       qm::MainWindowCapture()};
//
//   Command 3:  qm::SaveResults(runResults, reportInputs, &reportBaseName, hooks);
//               reportInputs: the system information lines (without line
//               breaks), DriveUnderTest and DriveListText, as ReportInputs.
//   Command 6:  hooks.pumpEvents();
//               qm::SaveValidationFile(runResults, reportBaseName + u".txt", hooks);
//               hooks.pumpEvents();
//   End of run: qm::SaveOwnSnapshot(hooks);   // the RunView's saveSnapshot
//
// Everything runs on the caller's thread and writes into the current
// directory.
#pragma once

#include "export/export_hooks.h"
#include "export/export_messages.h"
#include "export/report_text.h"
#include "export/save_results.h"
#include "export/validation_file.h"
#include "export/window_snapshot.h"
