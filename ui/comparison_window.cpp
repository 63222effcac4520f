#include "ui/comparison_window.h"

#include <commctrl.h>
#include <richedit.h>

#include "engine/speed.h"
#include "export/window_snapshot.h"
#include "platform/clock.h"
#include "platform/win32/wide.h"

namespace qm {
namespace {

constexpr wchar_t COMPARISON_CLASS[] = L"QuillmarkComparisonWindow";
constexpr DWORD COMPARISON_STYLE = WS_CAPTION | WS_SYSMENU;
constexpr int MAIN_WINDOW_AWAY_X = -12000;
constexpr int MAIN_WINDOW_HOME_X = 15;

// The open window. Lives on the stack of RunComparisonWindow; the window
// procedure reaches it through the window's user data.
struct ComparisonState {
  const ComparisonContext* context = nullptr;
  HWND window = nullptr;
  HWND shotView = nullptr;
  HBITMAP ownPicture = nullptr;  // loaded from the file, ours to delete
  int clickedSelector = -1;
  bool closeRequested = false;
};

void Pump(const ComparisonContext& context) {
  if (context.pumpEvents) context.pumpEvents();
}

void PauseFor(const ComparisonContext& context, uint32_t milliseconds) {
  if (context.pause) {
    context.pause(milliseconds);
  } else {
    Clock().sleep(milliseconds);
  }
}

LRESULT CALLBACK ComparisonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* state = reinterpret_cast<ComparisonState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (state == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  switch (message) {
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      if (HIWORD(wParam) == BN_CLICKED && id >= SLOT_SELECTOR_ID_BASE &&
          id < SLOT_SELECTOR_ID_BASE + SLOT_SELECTOR_COUNT) {
        state->clickedSelector = id - SLOT_SELECTOR_ID_BASE;
        // The click may have come as a sent message, which does not wake
        // the loop by itself.
        PostMessageW(window, WM_NULL, 0, 0);
      }
      return 0;
    }
    case WM_CLOSE:
      // Closing is the loop's to do: it puts the main window back first.
      state->closeRequested = true;
      PostMessageW(window, WM_NULL, 0, 0);
      return 0;
    case WM_DESTROY:
      // Destroyed by someone else (the session ends): the loop must not
      // wait for a window that is gone.
      state->closeRequested = true;
      return 0;
    default: return DefWindowProcW(window, message, wParam, lParam);
  }
}

void RegisterComparisonClass(const ComparisonContext& context) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = ComparisonProc;
  windowClass.hInstance = context.instance;
  windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = COMPARISON_CLASS;
  // The program's own icon, as the main window carries it.
  if (context.mainWindow != nullptr) {
    windowClass.hIcon = reinterpret_cast<HICON>(GetClassLongPtrW(context.mainWindow, GCLP_HICON));
    windowClass.hIconSm = reinterpret_cast<HICON>(GetClassLongPtrW(context.mainWindow, GCLP_HICONSM));
  }
  RegisterClassExW(&windowClass);  // already registered by an earlier opening: fine
}

Dpi ScreenDpi() {
  HDC screen = GetDC(nullptr);
  const Dpi dpi{GetDeviceCaps(screen, LOGPIXELSX), GetDeviceCaps(screen, LOGPIXELSY)};
  ReleaseDC(nullptr, screen);
  return dpi;
}

HWND CreateChild(const ComparisonState& state, DWORD exStyle, const wchar_t* className, const wchar_t* text,
                 DWORD style, const Box& box, int id) {
  return CreateWindowExW(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, box.x, box.y, box.width,
                         box.height, state.window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                         state.context->instance, nullptr);
}

HWND CreateLabel(const ComparisonState& state, const char16_t* text, const Box& box, int id) {
  HWND label = CreateChild(state, 0, L"STATIC", Wide(text), SS_CENTER, box, id);
  SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(state.context->labelFont), FALSE);
  return label;
}

HWND CreateBar(const ComparisonState& state, const Box& box, int id, int value) {
  HWND bar = CreateChild(state, 0, PROGRESS_CLASSW, nullptr, PBS_SMOOTH, box, id);
  SendMessageW(bar, PBM_SETRANGE32, 0, SPEED_BAR_MAXIMUM);
  SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(value), 0);
  return bar;
}

// Puts picture (which may be none) into a picture element and gives the
// element the picture's size.
void SetPicture(HWND element, HBITMAP picture) {
  SendMessageW(element, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture));
  BITMAP info{};
  if (picture == nullptr || GetObjectW(picture, sizeof info, &info) == 0) info = BITMAP{};
  SetWindowPos(element, nullptr, 0, 0, info.bmWidth, info.bmHeight,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(element, nullptr, TRUE);
}

HBITMAP LoadOwnResult() {
  return static_cast<HBITMAP>(LoadImageW(nullptr, Wide(OWN_SNAPSHOT_NAME), IMAGE_BITMAP, 0, 0,
                                         LR_LOADFROMFILE | LR_CREATEDIBSECTION));
}

// Shows in the shot view what selector k stands for. The own result is read
// from the file each time, so a snapshot written meanwhile is shown; a file
// that is missing or unreadable shows no picture.
void ShowSelector(ComparisonState& state, int selector) {
  const ComparisonContext& context = *state.context;
  HBITMAP picture = nullptr;
  HBITMAP loaded = nullptr;
  const int shot = ShotOfSelector(selector);
  if (shot == OWN_RESULT_SHOT) {
    if (context.results != nullptr && RunCompleted(*context.results)) {
      loaded = LoadOwnResult();
      picture = loaded;
    } else {
      picture = context.emptySlotPicture;
    }
  } else if (shot == 0) {
    picture = context.emptySlotPicture;
  } else {
    picture = context.referenceShots[shot - 1];
  }
  SetPicture(state.shotView, picture);
  if (state.ownPicture != nullptr) DeleteObject(state.ownPicture);
  state.ownPicture = loaded;
}

void CreateStatusBar(ComparisonState& state, const ComparisonLayout& layout) {
  HWND statusBar = CreateWindowExW(
      0, STATUSCLASSNAMEW, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, state.window,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(COMPARE_STATUS_BAR_ID)), state.context->instance, nullptr);
  int fieldEdge = layout.statusFieldWidth;
  SendMessageW(statusBar, SB_SETPARTS, 1, reinterpret_cast<LPARAM>(&fieldEdge));
  // A leading tab centres the text in its field.
  Text text = u"\t";
  text += COMPARISON_STATUS_TEXT;
  SendMessageW(statusBar, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(Wide(text.c_str())));
}

void CreateElements(ComparisonState& state, const ComparisonLayout& layout) {
  const ComparisonContext& context = *state.context;

  HWND driveBox = CreateChild(state, WS_EX_CLIENTEDGE, L"RichEdit20W", L"",
                              ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | WS_VSCROLL | WS_HSCROLL,
                              layout.driveBox, COMPARE_DRIVE_BOX_ID);
  SendMessageW(driveBox, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
  SendMessageW(driveBox, EM_SETTARGETDEVICE, 0, 1);  // no word wrap
  SendMessageW(driveBox, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  const Text driveText = context.driveListText != nullptr ? *context.driveListText : Text();
  SendMessageW(driveBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Wide(driveText.c_str())));

  CreateLabel(state, SPEED_HEADING_TEXT, layout.speedHeading, SPEED_HEADING_ID);

  HWND scale = CreateChild(state, 0, L"STATIC", nullptr, SS_BITMAP, layout.scale, COMPARE_SCALE_ID);
  SetPicture(scale, context.scalePicture);

  const double speed = context.results != nullptr ? context.results->mbPerSecond : 0.0;
  CreateBar(state, layout.ownBar, OWN_SPEED_BAR_ID, CompareBarValue(speed));
  Pump(context);

  for (int k = 1; k <= REFERENCE_ROW_COUNT; ++k) {
    const ReferenceResult& row = ReferenceResults()[k - 1];
    CreateLabel(state, row.label, layout.referenceLabel[k], REFERENCE_LABEL_ID_BASE + k);
    CreateBar(state, layout.referenceBar[k], REFERENCE_BAR_ID_BASE + k, row.barValue);
    Pump(context);
  }

  // One group: the first selector opens it, the shot view after the last closes it.
  for (int k = 0; k < SLOT_SELECTOR_COUNT; ++k) {
    const DWORD style = BS_AUTORADIOBUTTON | (k == 0 ? WS_GROUP | WS_TABSTOP : 0);
    CreateChild(state, 0, L"BUTTON", L"", style, layout.slotSelector[k], SLOT_SELECTOR_ID_BASE + k);
  }
  SendMessageW(GetDlgItem(state.window, SLOT_SELECTOR_ID_BASE), BM_SETCHECK, BST_CHECKED, 0);

  // Below the status bar in the z-order; clipping keeps the bar on top of
  // the part of a tall picture that reaches under it.
  state.shotView = CreateChild(state, 0, L"STATIC", nullptr, SS_BITMAP | WS_GROUP | WS_CLIPSIBLINGS,
                               layout.shotView, SHOT_VIEW_ID);
}

HWND CreateComparisonWindow(ComparisonState& state, const ComparisonLayout& layout) {
  RECT outer{0, 0, layout.clientWidth, layout.clientHeight};
  AdjustWindowRectEx(&outer, COMPARISON_STYLE, FALSE, 0);
  int width = outer.right - outer.left;
  int height = outer.bottom - outer.top;
  HWND window = CreateWindowExW(0, COMPARISON_CLASS, Wide(COMPARISON_TITLE), COMPARISON_STYLE, 0, 0, width,
                                height, state.context->mainWindow, nullptr, state.context->instance, &state);
  if (window == nullptr) return nullptr;
  // The frame the system really drew may differ from what it predicted:
  // make the client area come out exact, then centre what that gives.
  RECT client{};
  GetClientRect(window, &client);
  width += layout.clientWidth - client.right;
  height += layout.clientHeight - client.bottom;
  const Origin origin =
      CentredOrigin(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), width, height);
  SetWindowPos(window, nullptr, origin.x, origin.y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  ShowWindow(window, SW_SHOWNORMAL);
  UpdateWindow(window);
  return window;
}

// Keeps the main window's place on the screen except for x.
void MoveMainWindowTo(HWND mainWindow, int x) {
  if (mainWindow == nullptr) return;
  RECT place{};
  GetWindowRect(mainWindow, &place);
  SetWindowPos(mainWindow, nullptr, x, place.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Waits for events until the window is asked to close. Only the window's
// own events are acted on; the hidden main window is only kept painted.
void RunLoop(ComparisonState& state) {
  while (!state.closeRequested) {
    // A click may have been taken by the pump after the last picture,
    // together with the wake-up it posted: show it before waiting again.
    if (state.clickedSelector >= 0) {
      const int selector = state.clickedSelector;
      state.clickedSelector = -1;
      ShowSelector(state, selector);
      Pump(*state.context);
      continue;
    }
    MSG msg;
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(msg.wParam));  // the outer loop ends the program
      return;
    }
    if (got < 0) return;
    if (msg.hwnd == state.window || IsChild(state.window, msg.hwnd)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    } else if (msg.message == WM_PAINT) {
      DispatchMessageW(&msg);
    }
  }
}

}  // namespace

void RunComparisonWindow(const ComparisonContext& context) {
  ComparisonState state;
  state.context = &context;

  MoveMainWindowTo(context.mainWindow, MAIN_WINDOW_AWAY_X);
  PauseFor(context, 50);

  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  HMODULE richEdit = LoadLibraryW(L"Riched20.dll");
  RegisterComparisonClass(context);

  const ComparisonLayout layout = LayoutAt(ScreenDpi());
  state.window = CreateComparisonWindow(state, layout);
  if (state.window != nullptr) {
    Pump(context);
    CreateStatusBar(state, layout);
    Pump(context);
    CreateElements(state, layout);
    ShowSelector(state, 0);
    Pump(context);
    RunLoop(state);
  }

  Pump(context);
  if (state.window != nullptr) DestroyWindow(state.window);
  if (state.ownPicture != nullptr) DeleteObject(state.ownPicture);
  if (richEdit != nullptr) FreeLibrary(richEdit);
  PauseFor(context, 200);
  MoveMainWindowTo(context.mainWindow, MAIN_WINDOW_HOME_X);
  Pump(context);
  PauseFor(context, 200);
  Pump(context);
}

}  // namespace qm
