#include "ui/comparison_command.h"

#include "engine/pause.h"
#include "ui/comparison_window.h"
#include "ui/window_events.h"

namespace qm {

void OpenComparisonWindow(MainProgram& program) {
  ComparisonContext context;
  context.mainWindow = program.main.window;
  context.instance = program.instance;
  context.labelFont = program.fonts.labelFont;
  context.referenceShots = program.pictures.referenceShots;
  context.emptySlotPicture = program.pictures.emptySlot;
  context.scalePicture = program.pictures.scale;
  context.results = &program.results;
  context.driveListText = &program.driveListText;
  context.pumpEvents = PumpEvents;
  context.pause = Pause;
  RunComparisonWindow(context);
}

}  // namespace qm
