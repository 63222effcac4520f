// What the comparison window's end-to-end checks share: finding the
// program's windows, reading elements across processes, and the pixels the
// screen shows compared with picture files.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/wait_for.h"

namespace qm {

constexpr wchar_t COMPARISON_WINDOW_CLASS[] = L"QuillmarkComparisonWindow";

std::wstring ClassOf(HWND window);
std::wstring TextOf(HWND window);  // WM_GETTEXT, answered within 5 s
LRESULT Ask(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

// A visible top-level window of the process with the given class (any
// class when empty) and title (any title when null).
HWND FindTopLevel(DWORD processId, const std::wstring& className, const wchar_t* title);

// What an element of the main window looks like, to see that the
// comparison window leaves every one of them as it was.
struct ElementState {
  int id;
  std::wstring className;
  std::wstring text;
  RECT place;  // in the main window's client area
  bool visible;
  bool enabled;
  LRESULT value;  // position of a bar, picture of a static
  friend bool operator==(const ElementState& a, const ElementState& b) {
    return a.id == b.id && a.className == b.className && a.text == b.text && EqualRect(&a.place, &b.place) &&
           a.visible == b.visible && a.enabled == b.enabled && a.value == b.value;
  }
};
std::vector<ElementState> ElementsOf(HWND main);

// Pixels as 32-bit BGRX rows, top row first.
struct Pixels {
  int width = 0, height = 0;
  std::vector<uint32_t> bgrx;
  uint32_t At(int x, int y) const { return bgrx[static_cast<size_t>(y) * width + x] & 0xFFFFFF; }
};
Pixels ScreenPixels(const RECT& area);
Pixels FilePixels(const std::wstring& path);  // empty when the file is no picture
void SavePixels(const Pixels& pixels, const std::wstring& path);

// The visible part of the shot view on the screen: the client area less
// the status bar.
RECT ShotArea(HWND window);
// Share (0..1) of the visible shot view's pixels that equal the picture file's.
double ShownMatches(HWND window, const std::wstring& pictureFile);
SIZE ShotSize(HWND window);
// Clicks selector k; true once it is checked and the shot view has the
// expected size.
bool Choose(HWND window, int selector, SIZE expected);
// The same with the mouse, as a user clicks.
bool ChooseWithMouse(HWND window, int selector, SIZE expected);
// True once the screen shows the picture file in the shot view.
bool ShowsPicture(HWND window, const std::wstring& pictureFile);
// Opens the comparison window by menu command 2 and waits until its own
// result is in the shot view; nullptr when it does not open. The command
// is posted again while the window is not there: one that lands in a pump
// of the main window is lost by design.
HWND OpenComparisonWindow(HWND main, DWORD processId);

// A left click of the mouse at a screen position.
void MouseClick(POINT screen);
// A screen position on the window's close box; false when none is found.
bool CloseBoxPoint(HWND window, POINT* screen);

}  // namespace qm
