// Window pictures on Windows: PrintWindow into a 24-bit DIB section. Under
// Wine, PrintWindow paints only what the window's own WM_PRINTCLIENT draws
// (no frame, menu or child controls), so there the window is redrawn and
// copied from its window DC, which gives the same size and format.
#include <cstring>
#include <new>
#include <vector>

#include "platform/win32/wide.h"
#include "platform/window_capture.h"

namespace qm {
namespace {

using PrintWindowProc = BOOL(WINAPI*)(HWND, HDC, UINT);

bool RunningUnderWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// The copy out of the DIB section is the capture's one large allocation.
// Without the memory for it there is no picture, as when the system cannot
// make the image: no bitmap, no message, and the program goes on.
bool CopyPixels(const uint8_t* first, size_t count, std::vector<uint8_t>* pixels) {
  try {
    pixels->assign(first, first + count);
    return true;
  } catch (const std::bad_alloc&) {
    pixels->clear();
    return false;
  }
}

// Paints window into a new DIB section of width x height and copies its bits.
CaptureResult Paint(HWND window, PrintWindowProc printWindow, int32_t width, int32_t height,
                    Picture24* picture) {
  if (width <= 0 || height <= 0) return CaptureResult::NoPicture;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // positive: bottom-up rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  HDC memory = CreateCompatibleDC(nullptr);
  if (memory == nullptr) return CaptureResult::NoPicture;
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (dib == nullptr || bits == nullptr) {
    if (dib != nullptr) DeleteObject(dib);
    DeleteDC(memory);
    return CaptureResult::NoPicture;
  }
  HGDIOBJ previous = SelectObject(memory, dib);
  if (RunningUnderWine()) {
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    HDC source = GetWindowDC(window);
    BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY);
    ReleaseDC(window, source);
  } else {
    printWindow(window, memory, 0);
  }
  GdiFlush();
  const bool copied = CopyPixels(static_cast<const uint8_t*>(bits),
                                 RowBytes(width) * static_cast<size_t>(height), &picture->pixels);
  SelectObject(memory, previous);
  DeleteObject(dib);
  DeleteDC(memory);
  if (!copied) return CaptureResult::NoPicture;
  picture->width = width;
  picture->height = height;
  return CaptureResult::Captured;
}

}  // namespace

WindowRef FindTopLevelWindow(const Text& title) {
  return reinterpret_cast<WindowRef>(FindWindowW(nullptr, Wide(title)));
}

CaptureResult CaptureWindow(WindowRef ref, Picture24* picture) {
  // PrintWindow is reached only by name at run time.
  HMODULE user32 = LoadLibraryW(L"User32.dll");
  if (user32 == nullptr) return CaptureResult::NoCaptureFunction;
  auto printWindow =
      reinterpret_cast<PrintWindowProc>(reinterpret_cast<void*>(GetProcAddress(user32, "PrintWindow")));
  CaptureResult result = CaptureResult::NoCaptureFunction;
  HWND window = reinterpret_cast<HWND>(ref);
  if (printWindow != nullptr) {
    result = CaptureResult::NoWindow;
    if (window != nullptr && IsWindow(window)) {
      SetWindowLongPtrW(window, GWL_STYLE, GetWindowLongPtrW(window, GWL_STYLE) | WS_CLIPSIBLINGS);
      // HWND_BOTTOM alone ends a topmost state on Windows but not under Wine;
      // dropping it first gives the same end state on both.
      if (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST)
        SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      SetWindowPos(window, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
      RECT outer{};
      GetWindowRect(window, &outer);
      result = Paint(window, printWindow, outer.right - outer.left, outer.bottom - outer.top, picture);
    }
  }
  FreeLibrary(user32);
  return result;
}

}  // namespace qm
