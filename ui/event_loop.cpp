#include "ui/event_loop.h"

#include "engine/program_identity.h"
#include "engine/test_run.h"
#include "export/save_results.h"
#include "export/validation_file.h"
#include "export/window_snapshot.h"
#include "platform/files.h"
#include "ui/comparison_command.h"
#include "ui/end_program.h"
#include "ui/main_texts.h"
#include "ui/run_view_binding.h"
#include "ui/web_page.h"
#include "ui/window_events.h"

namespace qm {

namespace {

void SaveResultsCommand(MainProgram& program) {
  ReportInputs inputs;
  inputs.systemInfoLines = SystemInfoBoxLines(program.systemInfoLineCount);
  inputs.driveUnderTest = program.driveUnderTest;
  inputs.driveListText = program.driveListText;
  SaveResults(program.results, inputs, &program.reportBaseName, MainExportHooks());
}

void SaveValidationCommand(MainProgram& program) {
  PumpEvents();
  // Only ".txt" while no report has been saved since startup.
  SaveValidationFile(program.results, program.reportBaseName + u".txt", MainExportHooks());
  PumpEvents();
}

void OnMenuCommand(MainProgram& program, int command) {
  switch (command) {
    case CMD_START: TestRun(program.view, program.results); break;
    case CMD_COMPARISON: OpenComparisonWindow(program); break;
    case CMD_SAVE_RESULTS: SaveResultsCommand(program); break;
    case CMD_ABOUT:
      ShowPlainMessage(ABOUT_TEXT);
      PumpEvents();
      break;
    case CMD_SAVE_VALIDATION: SaveValidationCommand(program); break;
    case CMD_WEB_PAGE: OpenWebPage(AUTHOR_WEB_PAGE); break;
    case CMD_EXIT: EndProgram();  // "this_sys.bmp" stays on this path
    default: break;
  }
}

}  // namespace

void RunEventLoop() {
  MainProgram& program = Program();
  for (;;) {
    WindowEvent event = WaitEvent();
    switch (event.kind) {
      case EventKind::DonationClicked: OpenWebPage(DONATION_PAGE); break;
      case EventKind::StartClicked:
        EnableWindow(program.main.startButton, FALSE);
        PostMessageW(program.main.window, WM_COMMAND, CMD_START, 0);
        break;
      case EventKind::MenuCommand: OnMenuCommand(program, event.command); break;
      case EventKind::CloseRequested: program.quit = true; break;
    }
    if (program.quit) {
      Files().remove(Text(OWN_SNAPSHOT_NAME));
      EndProgram();
    }
  }
}

}  // namespace qm
