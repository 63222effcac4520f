#include "ui/main_window.h"

#include <commctrl.h>
#include <richedit.h>

#include "engine/program_identity.h"
#include "platform/win32/wide.h"
#include "ui/main_texts.h"
#include "ui/window_events.h"

namespace qm {

namespace {

constexpr wchar_t MAIN_WINDOW_CLASS[] = L"QuillmarkMainWindow";
constexpr DWORD MAIN_WINDOW_STYLE = WS_CAPTION | WS_SYSMENU;
constexpr int CLIENT_WIDTH = 640;
constexpr int CLIENT_HEIGHT = 826;
constexpr int WINDOW_LEFT = 15;
constexpr int WINDOW_TOP = 5;

HWND CreateChild(MainProgram& program, DWORD exStyle, const wchar_t* className, const wchar_t* text,
                 DWORD style, int id, ElementBox box) {
  const MainWindow& main = program.main;
  return CreateWindowExW(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, ScaleX(main, box.x),
                         ScaleY(main, box.y), ScaleX(main, box.width), ScaleY(main, box.height), main.window,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), program.instance, nullptr);
}

void SetFont(HWND element, HFONT font) {
  if (element && font) SendMessageW(element, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void AddMenuCommand(HMENU menu, int id, const char16_t* caption) {
  AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(id), Wide(caption));
}

}  // namespace

void ReadScreenDpi(MainWindow& main) {
  HDC screen = GetDC(nullptr);
  if (screen) {
    main.dpiX = GetDeviceCaps(screen, LOGPIXELSX);
    main.dpiY = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
  }
}

int ScaleX(const MainWindow& main, int value) { return MulDiv(value, main.dpiX, 96); }
int ScaleY(const MainWindow& main, int value) { return MulDiv(value, main.dpiY, 96); }

HMENU CreateMainMenu() {
  HMENU bar = CreateMenu();
  HMENU commands = CreatePopupMenu();
  if (!bar || !commands) {
    if (bar) DestroyMenu(bar);
    if (commands) DestroyMenu(commands);
    return nullptr;
  }
  AddMenuCommand(commands, CMD_START, MENU_START);
  AddMenuCommand(commands, CMD_COMPARISON, MENU_COMPARISON);
  AddMenuCommand(commands, CMD_SAVE_RESULTS, MENU_SAVE_RESULTS);
  AddMenuCommand(commands, CMD_ABOUT, MENU_ABOUT);
  AddMenuCommand(commands, CMD_SAVE_VALIDATION, MENU_SAVE_VALIDATION);
  AddMenuCommand(commands, CMD_WEB_PAGE, MENU_WEB_PAGE);
  AddMenuCommand(commands, CMD_EXIT, MENU_EXIT);
  if (!AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(commands), Wide(MENU_TITLE))) {
    DestroyMenu(commands);
    DestroyMenu(bar);
    return nullptr;
  }
  return bar;
}

bool CreateMainWindow(MainProgram& program) {
  MainWindow& main = program.main;
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = MainWindowProc;
  windowClass.hInstance = program.instance;
  windowClass.hIcon = LoadIconW(program.instance, MAKEINTRESOURCEW(IDI_QUILLMARK));
  windowClass.hIconSm = static_cast<HICON>(LoadImageW(program.instance, MAKEINTRESOURCEW(IDI_QUILLMARK),
                                                      IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                      GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
  windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = MAIN_WINDOW_CLASS;
  RegisterClassExW(&windowClass);

  main.menu = CreateMainMenu();
  RECT outer = {0, 0, ScaleX(main, CLIENT_WIDTH), ScaleY(main, CLIENT_HEIGHT)};
  AdjustWindowRectEx(&outer, MAIN_WINDOW_STYLE, main.menu != nullptr, 0);
  main.window = CreateWindowExW(0, MAIN_WINDOW_CLASS, Wide(PROGRAM_TITLE), MAIN_WINDOW_STYLE,
                                ScaleX(main, WINDOW_LEFT), ScaleY(main, WINDOW_TOP), outer.right - outer.left,
                                outer.bottom - outer.top, nullptr, main.menu, program.instance, nullptr);
  if (!main.window) return false;

  // The frame the system really drew may differ from what it predicted
  // (a menu bar of another height): make the client area come out exact.
  RECT client;
  GetClientRect(main.window, &client);
  int missingWidth = ScaleX(main, CLIENT_WIDTH) - client.right;
  int missingHeight = ScaleY(main, CLIENT_HEIGHT) - client.bottom;
  if (missingWidth != 0 || missingHeight != 0) {
    SetWindowPos(main.window, nullptr, 0, 0, outer.right - outer.left + missingWidth,
                 outer.bottom - outer.top + missingHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  ShowWindow(main.window, SW_SHOWNORMAL);
  UpdateWindow(main.window);
  return true;
}

HWND CreateLabel(MainProgram& program, int id, ElementBox box, const char16_t* text) {
  HWND label = CreateChild(program, 0, L"STATIC", Wide(text), SS_CENTER, id, box);
  SetFont(label, program.fonts.labelFont);
  return label;
}

HWND CreateValueBox(MainProgram& program, int id, ElementBox box, const Text& text) {
  HWND valueBox = CreateChild(program, WS_EX_CLIENTEDGE, L"STATIC", Wide(text), SS_CENTER, id, box);
  SetFont(valueBox, program.fonts.valueFont);
  return valueBox;
}

HWND CreateEditBox(MainProgram& program, int id, ElementBox box) {
  HWND edit = CreateChild(program, WS_EX_CLIENTEDGE, RICHEDIT_CLASSW, L"",
                          ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | WS_VSCROLL | WS_HSCROLL, id, box);
  if (!edit) return nullptr;
  SendMessageW(edit, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);  // no text limit
  SendMessageW(edit, EM_SETTARGETDEVICE, 0, 1);       // no word wrap
  SetFont(edit, program.fonts.labelFont);
  return edit;
}

HWND CreatePicture(MainProgram& program, int id, int x, int y, HBITMAP picture, bool sunkenEdge) {
  const MainWindow& main = program.main;
  HWND view =
      CreateWindowExW(sunkenEdge ? WS_EX_CLIENTEDGE : 0, L"STATIC", nullptr,
                      WS_CHILD | WS_VISIBLE | SS_BITMAP, ScaleX(main, x), ScaleY(main, y), 0, 0, main.window,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), program.instance, nullptr);
  if (!view) return nullptr;
  SendMessageW(view, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture));
  // Sized to the picture (which keeps its pixels at every DPI) plus the edge.
  BITMAP info = {};
  if (picture && GetObjectW(picture, sizeof info, &info)) {
    int edgeX = sunkenEdge ? 2 * GetSystemMetrics(SM_CXEDGE) : 0;
    int edgeY = sunkenEdge ? 2 * GetSystemMetrics(SM_CYEDGE) : 0;
    SetWindowPos(view, nullptr, 0, 0, info.bmWidth + edgeX, info.bmHeight + edgeY,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  return view;
}

HWND CreateBar(MainProgram& program, int id, ElementBox box, int maximum, int value) {
  HWND bar = CreateChild(program, 0, PROGRESS_CLASSW, nullptr, PBS_SMOOTH, id, box);
  if (!bar) return nullptr;
  SendMessageW(bar, PBM_SETRANGE32, 0, maximum);
  SendMessageW(bar, PBM_SETPOS, value, 0);
  return bar;
}

HWND CreateDonationBanner(MainProgram& program, ElementBox box) {
  return CreateChild(program, 0, L"BUTTON", L"", BS_PUSHBUTTON | BS_OWNERDRAW, IDC_DONATION_BANNER, box);
}

HWND CreateStartButton(MainProgram& program, ElementBox box) {
  HWND start =
      CreateChild(program, 0, L"BUTTON", Wide(START_BUTTON_TEXT), BS_PUSHBUTTON, IDC_START_BUTTON, box);
  SetFont(start, program.fonts.startFont);
  return start;
}

void ShowBannerPicture(MainProgram& program, bool blank) {
  program.main.bannerBlank = blank;
  if (program.main.donationBanner) InvalidateRect(program.main.donationBanner, nullptr, FALSE);
}

}  // namespace qm
