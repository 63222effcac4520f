// What saving results needs of the window that asked for it. The Win32
// main window, the console edition and the tests each fill one in.
#pragma once

#include <functional>

#include "platform/text.h"
#include "platform/window_capture.h"

namespace qm {

struct ExportHooks {
  // A modal message with one OK button, titled with the program's title.
  // Lines are separated by a lone carriage return.
  std::function<void(const Text& text)> showMessage;
  // Processes every pending window event without waiting.
  std::function<void()> pumpEvents;
  // Takes a picture of the main window as it looks now; false: no picture.
  // Empty: pictures are never taken (console edition).
  std::function<bool(Picture24* picture)> captureMainWindow;
};

}  // namespace qm
