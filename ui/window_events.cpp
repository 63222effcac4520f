#include "ui/window_events.h"

#include "engine/test_run.h"

namespace qm {

namespace {

void Queue(EventKind kind, int command = 0) { Program().events.push_back(WindowEvent{kind, command}); }

bool IsInput(UINT message) {
  return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
         (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
         (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK);
}

void OnCommand(WPARAM wParam, LPARAM lParam) {
  int id = LOWORD(wParam);
  int code = HIWORD(wParam);
  if (lParam == 0) {
    if (code == 0) Queue(EventKind::MenuCommand, id);  // menu, or posted by START
    return;
  }
  // An owner-drawn button reports the second click of a double click as
  // BN_DOUBLECLICKED instead of BN_CLICKED: it is a click all the same.
  if (id == IDC_DONATION_BANNER && (code == BN_CLICKED || code == BN_DOUBLECLICKED)) {
    Queue(EventKind::DonationClicked);
  } else if (id == IDC_START_BUTTON && code == BN_CLICKED) {
    Queue(EventKind::StartClicked);
  }
}

// One brush per colour, kept until the end of the program.
HBRUSH SolidBrush(COLORREF colour) {
  std::vector<ColourBrush>& brushes = Program().brushes;
  for (const ColourBrush& known : brushes) {
    if (known.colour == colour) return known.brush;
  }
  HBRUSH brush = CreateSolidBrush(colour);
  if (brush) brushes.push_back(ColourBrush{colour, brush});
  return brush;
}

// Value boxes and rows: their own background and text colours. Known by
// their ids, since a control may paint before its creation returns.
LRESULT OnControlColour(HDC dc, HWND element) {
  int id = GetDlgCtrlID(element);
  COLORREF background;
  COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
  if (id == IDC_AVERAGE_BOX || id == IDC_THIS_DRIVE_BOX) {
    background = AVERAGE_BOX_BACKGROUND;
  } else if (id == IDC_SPEED_BOX || id == IDC_BYTES_BOX) {
    background = SPEED_BOX_BACKGROUND;
  } else if (id >= IDC_ROUND_ROW_1 && id < IDC_ROUND_ROW_1 + ROUND_ROWS) {
    background = Program().main.rowBackgrounds[id - IDC_ROUND_ROW_1];
    text = ColourOf(ROW_TEXT);
  } else {
    return -1;  // not ours: the system's colours
  }
  SetTextColor(dc, text);
  SetBkColor(dc, background);
  return reinterpret_cast<LRESULT>(SolidBrush(background));
}

// The banner is its picture, centred; at 96 DPI it fills the button exactly.
void DrawBanner(const DRAWITEMSTRUCT& item) {
  const MainProgram& program = Program();
  FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
  HBITMAP picture = program.main.bannerBlank ? program.pictures.blankBanner : program.pictures.donation;
  BITMAP info = {};
  if (!picture || !GetObjectW(picture, sizeof info, &info)) return;
  HDC source = CreateCompatibleDC(item.hDC);
  if (!source) return;
  HGDIOBJ previous = SelectObject(source, picture);
  // Held down, the picture sinks by a pixel, as a pressed button does.
  int pressed = (item.itemState & ODS_SELECTED) ? 1 : 0;
  int x = item.rcItem.left + (item.rcItem.right - item.rcItem.left - info.bmWidth) / 2 + pressed;
  int y = item.rcItem.top + (item.rcItem.bottom - item.rcItem.top - info.bmHeight) / 2 + pressed;
  BitBlt(item.hDC, x, y, info.bmWidth, info.bmHeight, source, 0, 0, SRCCOPY);
  SelectObject(source, previous);
  DeleteDC(source);
}

}  // namespace

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: OnCommand(wParam, lParam); return 0;
    case WM_CLOSE:
      Queue(EventKind::CloseRequested);
      return 0;  // the event loop decides; the window stays until the end
    case WM_CTLCOLORSTATIC: {
      LRESULT brush = OnControlColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
      if (brush != -1) return brush;
      break;
    }
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item->CtlID == IDC_DONATION_BANNER) {
        DrawBanner(*item);
        return TRUE;
      }
      break;
    }
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void PumpEvents() {
  MSG msg;
  bool quit = false;
  WPARAM exitCode = 0;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      quit = true;
      exitCode = msg.wParam;
      continue;
    }
    if (IsInput(msg.message)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  // A quit is not an event to drop: it goes back to the queue, after the
  // rest has been processed, so that the event loop still ends the program.
  if (quit) PostQuitMessage(static_cast<int>(exitCode));
  Program().events.clear();
}

WindowEvent WaitEvent() {
  MainProgram& program = Program();
  while (program.events.empty()) {
    MSG msg;
    if (GetMessageW(&msg, nullptr, 0, 0) <= 0) return WindowEvent{EventKind::CloseRequested};
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  WindowEvent next = program.events.front();
  program.events.pop_front();
  return next;
}

}  // namespace qm
