// The comparison window: the user's speed beside the seven reference drives,
// with a snapshot of the main window after each reference run. It runs its
// own event loop on the main window's thread and returns when closed.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>

#include "engine/run_results.h"
#include "layout/comparison_layout.h"
#include "platform/text.h"

namespace qm {

// What the window borrows from the main program. Nothing here is released
// by the window: the pictures and the font stay the main program's.
struct ComparisonContext {
  HWND mainWindow = nullptr;  // moved off the screen while the window is open
  HINSTANCE instance = nullptr;
  HFONT labelFont = nullptr;
  std::array<HBITMAP, REFERENCE_SHOT_COUNT> referenceShots{};  // shots 1..7 at 0..6
  HBITMAP emptySlotPicture = nullptr;
  HBITMAP scalePicture = nullptr;
  const RunResults* results = nullptr;
  const Text* driveListText = nullptr;
  // Processes every pending window event without waiting and without
  // acting on input; the main program's pump. A WM_QUIT it meets must stay
  // for the main loop.
  std::function<void()> pumpEvents;
  // Sleeps for the given milliseconds. Empty: the clock table's sleep.
  std::function<void(uint32_t milliseconds)> pause;
};

// Menu command "Comparision Window": opens the window, runs it until the
// user closes it, then puts the main window back and returns.
void RunComparisonWindow(const ComparisonContext& context);

}  // namespace qm
