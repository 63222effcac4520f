// Pictures of windows: finding a top-level window by its title and taking a
// 24-bit picture of it as it looks now, frame and menu bar included. Only
// the Windows backend can take pictures; the others say there is none.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/text.h"

namespace qm {

// A 24-bit picture laid out as a bottom-up device-independent bitmap: the
// last row of the picture first, each pixel blue, green, red, each row
// padded with zero bytes to a multiple of four.
struct Picture24 {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> pixels;  // RowBytes(width) * height bytes
};

size_t RowBytes(int32_t width);

// A top-level window (an HWND on Windows). nullptr: no window.
using WindowRef = struct WindowObject*;

// The top-level window with exactly this title (any class); nullptr when
// there is none.
WindowRef FindTopLevelWindow(const Text& title);

enum class CaptureResult {
  Captured,
  NoCaptureFunction,  // "PrintWindow" not found in "User32.dll", or no windows here
  NoWindow,           // window is nullptr or no longer exists
  NoPicture,          // the picture could not be made (size 0, out of memory)
};

// Takes a picture of window at its outer size (GetWindowRect). Before it does
// so it adds WS_CLIPSIBLINGS to the window's style and moves it to the bottom
// of the z-order, which also ends a topmost state. On Windows the window
// paints itself through PrintWindow, looked up at run time; under Wine, whose
// PrintWindow paints the window's background only, the window is redrawn and
// copied from its window DC. *picture is set only on Captured.
CaptureResult CaptureWindow(WindowRef window, Picture24* picture);

}  // namespace qm
