#include "console/console_view.h"

#include <unistd.h>

#include <string>

#include "engine/speed.h"
#include "engine/test_run.h"

namespace qm {
namespace {

constexpr int SPEED_BAR_CELLS = 34;
constexpr int COUNTDOWN_MAXIMUM = 5;

std::string Padded(const Text& text, size_t width) {
  std::string line = Utf8(text);
  if (line.size() < width) line.append(width - line.size(), ' ');
  return line;
}

std::string Colour(Rgb text, Rgb background) {
  char code[48];
  std::snprintf(code, sizeof code, "\x1b[38;2;%d;%d;%dm\x1b[48;2;%d;%d;%dm", text.red, text.green, text.blue,
                background.red, background.green, background.blue);
  return code;
}

std::string Bar(int value, int maximum, int cells) {
  if (value < 0) value = 0;
  if (value > maximum) value = maximum;
  const int filled = value * cells / maximum;
  return "[" + std::string(filled, '#') + std::string(cells - filled, '.') + "]";
}

// Redraws the whole table over the one drawn before.
void Draw(ConsoleScreen& screen) {
  std::string frame;
  if (screen.linesDrawn > 0) frame += "\x1b[" + std::to_string(screen.linesDrawn) + "F";
  auto line = [&frame](const std::string& text) { frame += "\x1b[2K" + text + "\n"; };
  for (int k = 0; k < CYCLES_PER_RUN; ++k) {
    std::string row =
        Colour(ROW_TEXT, screen.rowBackground[k]) + " " + Padded(screen.rowText[k], 13) + "\x1b[0m";
    if (screen.countdownShown) row += "  " + Bar(screen.countdown[k], COUNTDOWN_MAXIMUM, 10);
    line(row);
  }
  line(Padded(screen.averageText, 10) + "  " + Padded(screen.speedText, 10) + "  " +
       Padded(screen.bytesText, 10));
  line(Bar(screen.speedBar, SPEED_BAR_MAXIMUM, SPEED_BAR_CELLS) + (screen.minimised ? "  writing..." : ""));
  screen.linesDrawn = CYCLES_PER_RUN + 2;
  std::fputs(frame.c_str(), screen.out);
  std::fflush(screen.out);
  screen.changed = false;
}

// Without a terminal every change of interest becomes one line.
void Plain(ConsoleScreen& screen, const std::string& text) {
  if (screen.live) return;
  std::fprintf(screen.out, "%s\n", text.c_str());
  std::fflush(screen.out);
}

}  // namespace

ConsoleScreen StartConsoleScreen(std::FILE* out) {
  ConsoleScreen screen;
  screen.out = out;
  screen.live = isatty(fileno(out)) != 0;
  for (int k = 1; k <= CYCLES_PER_RUN; ++k) {
    screen.rowText[k - 1] = (k < 10 ? u"Round 0" : u"Round ") + DecimalText(int64_t{k});
    screen.rowBackground[k - 1] = IDLE_ROW;
  }
  return screen;
}

RunView ConsoleRunView(ConsoleScreen& screen) {
  ConsoleScreen* s = &screen;
  RunView view;
  view.addCountdownBars = [s] {
    s->countdown.fill(COUNTDOWN_MAXIMUM);
    s->countdownShown = s->changed = true;
  };
  view.setCountdownBar = [s](int bar, int value) {
    s->countdown[bar - 1] = value;
    s->changed = true;
    Plain(*s, "countdown " + std::to_string(bar) + " " + std::to_string(value));
  };
  view.hideCountdownBars = [s] {
    s->countdownShown = false;
    s->changed = true;
  };
  view.setRowText = [s](int row, const Text& text) {
    s->rowText[row - 1] = text;
    s->changed = true;
    Plain(*s, "row " + std::to_string(row) + " " + Utf8(text));
  };
  view.setRowBackground = [s](int row, Rgb background) {
    s->rowBackground[row - 1] = background;
    s->changed = true;
  };
  view.setAverageText = [s](const Text& text) {
    s->averageText = text;
    s->changed = true;
    Plain(*s, "Average " + Utf8(text));
  };
  view.setSpeedText = [s](const Text& text) {
    s->speedText = text;
    s->changed = true;
    Plain(*s, "MB/s " + Utf8(text));
  };
  view.setBytesText = [s](const Text& text) {
    if (text == s->bytesText) return;
    s->bytesText = text;
    s->changed = true;
    Plain(*s, "Bytes " + Utf8(text));
  };
  view.setSpeedBar = [s](int value) {
    s->speedBar = value;
    s->changed = true;
    Plain(*s, "speed bar " + std::to_string(value));
  };
  // The terminal shows the table while the writers run, marked as such;
  // drawing happens only when the engine pumps, as in the window.
  view.minimiseWindow = [s] { s->minimised = s->changed = true; };
  view.restoreWindow = [s] {
    s->minimised = false;
    s->changed = true;
  };
  view.pumpEvents = [s] {
    if (s->live && s->changed) Draw(*s);
  };
  view.showMessage = [s](const Text& text) {
    std::fprintf(s->out, "%s\n", Utf8(text).c_str());
    std::fflush(s->out);
    s->linesDrawn = 0;  // the next table goes below the message
  };
  view.endProgram = [s] { s->programEnded = true; };
  return view;
}

void PrintResultLines(std::FILE* out, const RunResults& results) {
  for (int k = 1; k <= CYCLES_PER_RUN; ++k) {
    std::fprintf(out, "cycle %d %lld\n", k, static_cast<long long>(results.cycleMs[k - 1]));
  }
  std::fprintf(out, "average %lld\n", static_cast<long long>(results.averageMs));
  std::fprintf(out, "speed %s\n", Utf8(results.mbPerSecondText).c_str());
  std::fflush(out);
}

}  // namespace qm
