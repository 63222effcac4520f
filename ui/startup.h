// Startup, from loading the fonts to the moment the event loop may begin.
#pragma once

#include <windows.h>

namespace qm {

// Runs startup steps 1 to 19. Returns only when the event loop is to be
// entered; a drive that cannot be written ends the program here.
void Startup(HINSTANCE instance);

}  // namespace qm
