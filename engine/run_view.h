// What a test run needs of the window that shows it. The Win32 main window,
// the console edition and the tests each fill one in. All calls come from
// the thread that runs the test.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/text.h"

namespace qm {

struct Rgb {
  uint8_t red, green, blue;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

struct RunView {
  std::function<void()> disableStartButton;
  std::function<void()> addCountdownBars;                   // bars 1..10, each at 5
  std::function<void(int bar, int value)> setCountdownBar;  // bar 1..10, value 5..0
  std::function<void()> hideCountdownBars;
  std::function<void()> showPicture;  // the test diagram
  std::function<void()> hidePicture;
  std::function<void(int row, const Text& text)> setRowText;  // row 1..10
  std::function<void(int row, Rgb background)> setRowBackground;
  std::function<void(const Text& text)> setAverageText;
  std::function<void(const Text& text)> setSpeedText;
  std::function<void(const Text& text)> setBytesText;
  std::function<void(int value)> setSpeedBar;  // hundredths of MB/s, 0..SPEED_BAR_MAXIMUM
  std::function<void()> minimiseWindow;
  std::function<void()> restoreWindow;
  std::function<void()> pumpEvents;                   // every pending window event, without waiting
  std::function<void(const Text& text)> showMessage;  // modal, one OK button, the program's title
  std::function<void()> saveSnapshot;                 // the own-result snapshot
  // Ends the program with exit code 0. The Win32 window never returns from
  // it; a view that does return (tests) lets the caller unwind at once.
  std::function<void()> endProgram;
};

}  // namespace qm
