// The console edition's RunView: a live table on a terminal, plain lines
// otherwise.
#pragma once

#include <array>
#include <cstdio>

#include "engine/run_results.h"
#include "engine/run_view.h"
#include "platform/text.h"

namespace qm {

// What the window would show, kept so that a terminal can be redrawn.
struct ConsoleScreen {
  std::FILE* out = nullptr;
  bool live = false;  // a terminal: redraw in place; otherwise one line per change
  std::array<Text, CYCLES_PER_RUN> rowText;
  std::array<Rgb, CYCLES_PER_RUN> rowBackground;
  std::array<int, CYCLES_PER_RUN> countdown{};
  bool countdownShown = false;
  Text averageText = u"Average";
  Text speedText = u"MB/s";
  Text bytesText = u"Bytes";
  int speedBar = 0;
  bool minimised = false;
  bool changed = true;
  int linesDrawn = 0;  // lines of the table on the terminal, to move back over
  bool programEnded = false;
};

// A screen writing to out; live when out is a terminal.
ConsoleScreen StartConsoleScreen(std::FILE* out);

// The view over screen, which must outlive it.
RunView ConsoleRunView(ConsoleScreen& screen);

// The lines for scripts after a complete run: "cycle 1 <ms>" .. "cycle 10
// <ms>", "average <ms>", "speed <MB/s text>".
void PrintResultLines(std::FILE* out, const RunResults& results);

}  // namespace qm
