// The window procedure of MainWindow and the two ways of taking its events:
// pumping (everything pending, nothing acted on) and waiting for the next
// event of the event loop.
#pragma once

#include <windows.h>

#include "ui/main_program.h"

namespace qm {

// Turns clicks, menu commands and the close request into WindowEvents,
// paints the banner and colours the value boxes and rows.
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Processes every pending window event without waiting, so the windows
// repaint. Input (keys, mouse) is dropped and the events it would have made
// are discarded: clicks and menu choices made meanwhile are lost. A WM_QUIT
// is kept for WaitEvent.
void PumpEvents();

// Blocks until the next event for the event loop arrives. A WM_QUIT, which
// the program never posts, comes back as a close request.
WindowEvent WaitEvent();

}  // namespace qm
