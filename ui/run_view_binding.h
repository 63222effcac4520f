// MainWindow as the test run sees it (RunView), and the system information
// box as the panel lines see it.
#pragma once

#include "engine/run_view.h"
#include "export/export_hooks.h"
#include "inventory/system_info_panel.h"
#include "ui/main_program.h"

namespace qm {

// A modal box with one OK button and no icon, titled with the program's
// title, owned by MainWindow when it exists; pumped afterwards by callers.
void ShowPlainMessage(const Text& text);

RunView MainWindowRunView();
SystemInfoBox MainSystemInfoBox();
ExportHooks MainExportHooks();

// The lines of SystemInfoBox as the box holds them, without line breaks.
std::vector<Text> SystemInfoBoxLines(int lineCount);

}  // namespace qm
