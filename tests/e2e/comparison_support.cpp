#include "tests/e2e/comparison_support.h"

#include <commctrl.h>

#include <cstdio>
#include <string>

#include "layout/comparison_layout.h"
#include "ui/resource.h"

namespace qm {

std::wstring ClassOf(HWND window) {
  wchar_t name[128] = {};
  GetClassNameW(window, name, 128);
  return name;
}

std::wstring TextOf(HWND window) {
  wchar_t text[4096] = {};
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000,
                      &ignored);
  return text;
}

LRESULT Ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result);
  return static_cast<LRESULT>(result);
}

// A visible top-level window of the process with the given class (any
// class when empty) and title (any title when null).
HWND FindTopLevel(DWORD processId, const std::wstring& className, const wchar_t* title) {
  struct Search {
    DWORD processId;
    const std::wstring* className;
    const wchar_t* title;
    HWND found;
  } search{processId, &className, title, nullptr};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner != s->processId || !IsWindowVisible(window)) return TRUE;
        if (!s->className->empty() && ClassOf(window) != *s->className) return TRUE;
        if (s->title != nullptr) {
          wchar_t text[256] = {};
          GetWindowTextW(window, text, 256);
          if (std::wstring(text) != s->title) return TRUE;
        }
        s->found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::vector<ElementState> ElementsOf(HWND main) {
  std::vector<HWND> children;
  EnumChildWindows(
      main,
      [](HWND child, LPARAM data) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(data)->push_back(child);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&children));
  std::vector<ElementState> states;
  for (HWND child : children) {
    ElementState state{GetDlgCtrlID(child),
                       ClassOf(child),
                       TextOf(child),
                       {},
                       IsWindowVisible(child) != 0,
                       IsWindowEnabled(child) != 0,
                       0};
    GetWindowRect(child, &state.place);
    MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&state.place), 2);
    if (state.className == PROGRESS_CLASSW) state.value = Ask(child, PBM_GETPOS);
    if (state.className == L"Static") state.value = Ask(child, STM_GETIMAGE, IMAGE_BITMAP);
    states.push_back(state);
  }
  return states;
}

Pixels PixelsOf(HDC source, int x, int y, int width, int height) {
  Pixels pixels{width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height)};
  HDC memory = CreateCompatibleDC(source);
  HBITMAP bitmap = CreateCompatibleBitmap(source, width, height);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, source, x, y, SRCCOPY);
  SelectObject(memory, previous);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  GetDIBits(memory, bitmap, 0, height, pixels.bgrx.data(), &info, DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  return pixels;
}

Pixels ScreenPixels(const RECT& area) {
  HDC screen = GetDC(nullptr);
  Pixels pixels = PixelsOf(screen, area.left, area.top, area.right - area.left, area.bottom - area.top);
  ReleaseDC(nullptr, screen);
  return pixels;
}

Pixels FilePixels(const std::wstring& path) {
  HBITMAP picture = static_cast<HBITMAP>(
      LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
  if (picture == nullptr) return {};
  BITMAP info{};
  GetObjectW(picture, sizeof info, &info);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HGDIOBJ previous = SelectObject(memory, picture);
  Pixels pixels = PixelsOf(memory, 0, 0, info.bmWidth, info.bmHeight);
  SelectObject(memory, previous);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  DeleteObject(picture);
  return pixels;
}

// Writes pixels as a 24-bit BMP, for a person to look at later.
void SavePixels(const Pixels& pixels, const std::wstring& path) {
  const uint32_t stride = (static_cast<uint32_t>(pixels.width) * 3 + 3) & ~3u;
  std::vector<uint8_t> rows(static_cast<size_t>(stride) * pixels.height);
  for (int y = 0; y < pixels.height; ++y) {
    uint8_t* row = &rows[static_cast<size_t>(pixels.height - 1 - y) * stride];
    for (int x = 0; x < pixels.width; ++x) {
      const uint32_t p = pixels.At(x, y);
      row[3 * x] = p & 0xFF;
      row[3 * x + 1] = (p >> 8) & 0xFF;
      row[3 * x + 2] = (p >> 16) & 0xFF;
    }
  }
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER header{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof header;
  file.bfSize = file.bfOffBits + static_cast<DWORD>(rows.size());
  header.biSize = sizeof header;
  header.biWidth = pixels.width;
  header.biHeight = pixels.height;
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biSizeImage = static_cast<DWORD>(rows.size());
  FILE* out = _wfopen(path.c_str(), L"wb");
  if (out == nullptr) return;
  fwrite(&file, sizeof file, 1, out);
  fwrite(&header, sizeof header, 1, out);
  fwrite(rows.data(), 1, rows.size(), out);
  fclose(out);
}

// The visible part of the shot view: the client area less the status bar.
RECT ShotArea(HWND window) {
  RECT shot{}, client{}, status{};
  GetWindowRect(GetDlgItem(window, SHOT_VIEW_ID), &shot);
  GetClientRect(window, &client);
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
  GetWindowRect(GetDlgItem(window, COMPARE_STATUS_BAR_ID), &status);
  client.bottom = status.top;
  RECT visible{};
  IntersectRect(&visible, &shot, &client);
  return visible;
}

// Share of the visible shot view's pixels that equal the picture file's.
double ShownMatches(HWND window, const std::wstring& pictureFile) {
  const RECT area = ShotArea(window);
  RECT shot{};
  GetWindowRect(GetDlgItem(window, SHOT_VIEW_ID), &shot);
  const Pixels screen = ScreenPixels(area);
  const Pixels picture = FilePixels(pictureFile);
  if (screen.width == 0 || screen.height == 0 || picture.width == 0) return 0.0;
  int same = 0;
  for (int y = 0; y < screen.height; ++y) {
    for (int x = 0; x < screen.width; ++x) {
      const int px = area.left - shot.left + x;
      const int py = area.top - shot.top + y;
      if (px < picture.width && py < picture.height && screen.At(x, y) == picture.At(px, py)) ++same;
    }
  }
  return static_cast<double>(same) / (static_cast<double>(screen.width) * screen.height);
}

bool ShowsPicture(HWND window, const std::wstring& pictureFile) {
  std::string name;
  for (wchar_t c : pictureFile.substr(pictureFile.find_last_of(L'\\') + 1)) name += static_cast<char>(c);
  return WaitFor([&] { return ShownMatches(window, pictureFile) > 0.99; }, "the shot view to show " + name);
}

HWND OpenComparisonWindow(HWND main, DWORD processId) {
  HWND window = nullptr;
  bool posted = false;
  DWORD postedAt = 0;
  WaitFor(
      [&] {
        if ((window = FindTopLevel(processId, COMPARISON_WINDOW_CLASS, nullptr)) != nullptr) return true;
        if (!posted || GetTickCount() - postedAt >= 5000) {
          PostMessageW(main, WM_COMMAND, CMD_COMPARISON, 0);
          posted = true;
          postedAt = GetTickCount();
        }
        return false;
      },
      "the comparison window to open on menu command 2", 60000);
  if (window == nullptr) return nullptr;
  // The shot view is made last, then the own result goes into it; the
  // answer to a message comes after that.
  WaitFor([&] { return GetDlgItem(window, SHOT_VIEW_ID) != nullptr; }, "the shot view");
  Ask(window, WM_NULL);
  return window;
}

SIZE ShotSize(HWND window) {
  RECT shot{};
  GetClientRect(GetDlgItem(window, SHOT_VIEW_ID), &shot);
  return {shot.right, shot.bottom};
}

namespace {

bool WaitShown(HWND window, HWND radio, SIZE expected) {
  return WaitFor(
      [&] {
        const SIZE size = ShotSize(window);
        return Ask(radio, BM_GETCHECK) == BST_CHECKED && size.cx == expected.cx && size.cy == expected.cy;
      },
      "selector " + std::to_string(GetDlgCtrlID(radio) - SLOT_SELECTOR_ID_BASE) +
          " checked and a shot view of " + std::to_string(expected.cx) + " x " + std::to_string(expected.cy));
}

}  // namespace

bool Choose(HWND window, int selector, SIZE expected) {
  HWND radio = GetDlgItem(window, SLOT_SELECTOR_ID_BASE + selector);
  PostMessageW(radio, BM_CLICK, 0, 0);
  return WaitShown(window, radio, expected);
}

bool ChooseWithMouse(HWND window, int selector, SIZE expected) {
  HWND radio = GetDlgItem(window, SLOT_SELECTOR_ID_BASE + selector);
  RECT place{};
  GetWindowRect(radio, &place);
  MouseClick({(place.left + place.right) / 2, (place.top + place.bottom) / 2});
  return WaitShown(window, radio, expected);
}

void MouseClick(POINT screen) {
  SetCursorPos(screen.x, screen.y);
  Sleep(100);
  mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
  Sleep(50);
  mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
}

bool CloseBoxPoint(HWND window, POINT* screen) {
  RECT outer{};
  GetWindowRect(window, &outer);
  for (int y = outer.top + 1; y < outer.top + 40; ++y) {
    for (int x = outer.right - 2; x > outer.right - 60; --x) {
      if (Ask(window, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCLOSE) {
        *screen = {x - 3, y + 3};  // inside the box, not on its edge
        return Ask(window, WM_NCHITTEST, 0, MAKELPARAM(screen->x, screen->y)) == HTCLOSE;
      }
    }
  }
  return false;
}

}  // namespace qm
