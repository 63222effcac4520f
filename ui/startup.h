// Startup, from loading the fonts to the moment the event loop may begin.
#pragma once

#include <windows.h>

namespace qm {

// Loads the fonts and pictures, builds and fills MainWindow, shows the
// startup notice, checks the drive, blinks the banner and drops the menu
// open. Returns when the event loop is to begin; a drive that cannot be
// written ends the program here.
void Startup(HINSTANCE instance);

}  // namespace qm
