#include "ui/end_program.h"

#include "ui/main_program.h"
#include "ui/program_resources.h"

namespace qm {

void EndProgram() {
  MainProgram& program = Program();
  if (program.main.window) DestroyWindow(program.main.window);  // and every element on it
  program.main = MainWindow{};
  ReleaseFonts(program.fonts);
  ReleasePictures(program.pictures);
  for (const ColourBrush& known : program.brushes) DeleteObject(known.brush);
  program.brushes.clear();
  if (program.richEdit) FreeLibrary(program.richEdit);
  program.richEdit = nullptr;
  ExitProcess(0);
}

}  // namespace qm
