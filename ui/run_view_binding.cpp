#include "ui/run_view_binding.h"

#include <commctrl.h>
#include <richedit.h>

#include "engine/program_identity.h"
#include "export/window_snapshot.h"
#include "platform/win32/wide.h"
#include "ui/end_program.h"
#include "ui/main_window.h"
#include "ui/window_events.h"

namespace qm {

namespace {

MainWindow& Main() { return Program().main; }

HWND Row(int row) { return row >= 1 && row <= ROUND_ROWS ? Main().roundRows[row - 1] : nullptr; }

void SetText(HWND element, const Text& text) {
  if (element) SetWindowTextW(element, Wide(text));
}

// Made by the first run, over the diagram; a later call only shows them at 5.
void AddCountdownBars() {
  MainProgram& program = Program();
  MainWindow& main = program.main;
  for (int k = 0; k < COUNTDOWN_BARS; ++k) {
    HWND& bar = main.countdownBars[k];
    if (!bar) bar = CreateBar(program, IDC_COUNTDOWN_BAR_1 + k, {307, 470 + 25 * k, 300, 10}, 5, 5);
    if (!bar) continue;
    SendMessageW(bar, PBM_SETPOS, 5, 0);
    ShowWindow(bar, SW_SHOW);
  }
}

void SetCountdownBar(int bar, int value) {
  if (bar >= 1 && bar <= COUNTDOWN_BARS && Main().countdownBars[bar - 1]) {
    SendMessageW(Main().countdownBars[bar - 1], PBM_SETPOS, value, 0);
  }
}

void HideCountdownBars() {
  for (HWND bar : Main().countdownBars) {
    if (bar) ShowWindow(bar, SW_HIDE);
  }
}

void SetRowBackground(int row, Rgb background) {
  if (row < 1 || row > ROUND_ROWS) return;
  Main().rowBackgrounds[row - 1] = ColourOf(background);
  InvalidateRect(Row(row), nullptr, TRUE);
}

}  // namespace

void ShowPlainMessage(const Text& text) {
  MessageBoxW(Main().window, Wide(text), Wide(PROGRAM_TITLE), MB_OK);
}

RunView MainWindowRunView() {
  RunView view;
  view.disableStartButton = [] { EnableWindow(Main().startButton, FALSE); };
  view.addCountdownBars = AddCountdownBars;
  view.setCountdownBar = SetCountdownBar;
  view.hideCountdownBars = HideCountdownBars;
  view.showPicture = [] { ShowWindow(Main().testDiagram, SW_SHOW); };
  view.hidePicture = [] { ShowWindow(Main().testDiagram, SW_HIDE); };
  view.setRowText = [](int row, const Text& text) { SetText(Row(row), text); };
  view.setRowBackground = SetRowBackground;
  view.setAverageText = [](const Text& text) { SetText(Main().averageBox, text); };
  view.setSpeedText = [](const Text& text) { SetText(Main().speedBox, text); };
  view.setBytesText = [](const Text& text) { SetText(Main().bytesBox, text); };
  view.setSpeedBar = [](int value) { SendMessageW(Main().speedBar, PBM_SETPOS, value, 0); };
  view.minimiseWindow = [] { ShowWindow(Main().window, SW_MINIMIZE); };
  view.restoreWindow = [] { ShowWindow(Main().window, SW_SHOWNORMAL); };
  view.pumpEvents = PumpEvents;
  view.showMessage = ShowPlainMessage;
  view.saveSnapshot = [] { SaveOwnSnapshot(MainExportHooks()); };
  view.endProgram = [] { EndProgram(); };
  return view;
}

SystemInfoBox MainSystemInfoBox() {
  SystemInfoBox box;
  box.appendLine = [](const Text& line) {
    HWND edit = Main().systemInfoBox;
    if (!edit) return;
    // Each line a paragraph of its own; the first one starts the box.
    bool empty = GetWindowTextLengthW(edit) == 0;
    Text paragraph = empty ? line : u"\r" + line;
    CHARRANGE end = {-1, -1};
    SendMessageW(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&end));
    SendMessageW(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(Wide(paragraph)));
  };
  box.processPendingEvents = PumpEvents;
  return box;
}

ExportHooks MainExportHooks() {
  ExportHooks hooks;
  hooks.showMessage = ShowPlainMessage;
  hooks.pumpEvents = PumpEvents;
  hooks.captureMainWindow = MainWindowCapture();
  return hooks;
}

std::vector<Text> SystemInfoBoxLines(int lineCount) {
  std::vector<Text> lines;
  HWND edit = Main().systemInfoBox;
  for (int i = 0; i < lineCount; ++i) {
    wchar_t buffer[4096];
    // EM_GETLINE: the first word of the buffer holds its size in characters.
    buffer[0] = static_cast<wchar_t>(sizeof buffer / sizeof buffer[0] - 1);
    LRESULT copied =
        edit ? SendMessageW(edit, EM_GETLINE, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buffer)) : 0;
    Text line = FromWide(buffer, static_cast<size_t>(copied > 0 ? copied : 0));
    while (!line.empty() && (line.back() == u'\r' || line.back() == u'\n')) line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

}  // namespace qm
