// Test support: a RunView that records every call as a line of text, in
// order, and keeps what a window would show.
//
//   RecordingView recording;
//   TestRun(recording.View(), results);
//   recording.events  ->  "disableStartButton", "setCountdownBar 1 5",
//                         "setRowBackground 1 255,64,64", "setRowText 1 Cycle: 1/10", ...
//
// onEvent, when set, is called after each call is recorded (to let time
// pass at a chosen point, for example). Calls must come from one thread.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "engine/run_view.h"

namespace qm {

struct RecordingView {
  std::vector<std::string> events;
  std::function<void(const std::string& event)> onEvent;

  // What the window would show now.
  std::array<std::string, 10> rowText;
  std::array<Rgb, 10> rowBackground{};
  std::array<int, 10> countdownBar{};
  bool countdownBarsShown = false;
  bool pictureShown = true;
  bool minimised = false;
  std::string averageText = "Average";
  std::string speedText = "MB/s";
  std::string bytesText = "Bytes";
  int speedBar = 0;
  std::vector<std::string> messages;
  bool programEnded = false;

  RecordingView();

  // A view over this recording, which must outlive it.
  RunView View();

  // How many events are exactly event.
  int Count(const std::string& event) const;
};

}  // namespace qm
