// Window pictures on the Win32 backend (under Wine here): a real window with
// a child control, captured at its outer size with frame and children.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <string>

#include "engine/program_identity.h"
#include "export/bmp_file.h"
#include "export/window_snapshot.h"
#include "platform/window_capture.h"
#include "tests/support/scratch_folder.h"

// This program's allocations, so that a test can make the large ones fail
// as they do when the memory runs out.
std::atomic<size_t> refusedFrom{0};  // allocations of this size and more fail; 0: none

void* operator new(size_t size) {
  const size_t limit = refusedFrom.load();
  if (limit != 0 && size >= limit) throw std::bad_alloc();
  if (void* memory = std::malloc(size != 0 ? size : 1)) return memory;
  throw std::bad_alloc();
}
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, size_t) noexcept { std::free(memory); }

namespace qm {
namespace {

const COLORREF WINDOW_COLOUR = RGB(64, 120, 64);
const COLORREF CHILD_COLOUR = RGB(200, 30, 30);

LRESULT CALLBACK ChildProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ERASEBKGND) {
    RECT area;
    GetClientRect(window, &area);
    HBRUSH brush = CreateSolidBrush(CHILD_COLOUR);
    FillRect(reinterpret_cast<HDC>(wParam), &area, brush);
    DeleteObject(brush);
    return 1;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void Pump() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}

// A topmost window of the program's title with a client area of 200 x 150
// in WINDOW_COLOUR and a 50 x 40 child at (20, 30) in CHILD_COLOUR.
struct TestWindow {
  HWND window = nullptr;
  HWND child = nullptr;
  HBRUSH brush = nullptr;

  TestWindow() {
    brush = CreateSolidBrush(WINDOW_COLOUR);
    WNDCLASSW parentClass{};
    parentClass.lpfnWndProc = DefWindowProcW;
    parentClass.hInstance = GetModuleHandleW(nullptr);
    parentClass.hbrBackground = brush;
    parentClass.lpszClassName = L"QmCaptureTestParent";
    RegisterClassW(&parentClass);
    WNDCLASSW childClass{};
    childClass.lpfnWndProc = ChildProc;
    childClass.hInstance = GetModuleHandleW(nullptr);
    childClass.lpszClassName = L"QmCaptureTestChild";
    RegisterClassW(&childClass);

    RECT outer{0, 0, 200, 150};
    AdjustWindowRectEx(&outer, WS_CAPTION | WS_SYSMENU, FALSE, 0);
    window = CreateWindowExW(0, L"QmCaptureTestParent", reinterpret_cast<const wchar_t*>(PROGRAM_TITLE),
                             WS_CAPTION | WS_SYSMENU, 15, 5, outer.right - outer.left,
                             outer.bottom - outer.top, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    child = CreateWindowExW(0, L"QmCaptureTestChild", L"", WS_CHILD | WS_VISIBLE, 20, 30, 50, 40, window,
                            nullptr, GetModuleHandleW(nullptr), nullptr);
    ShowWindow(window, SW_SHOWNORMAL);
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    UpdateWindow(window);
    Pump();
  }
  ~TestWindow() {
    DestroyWindow(window);
    Pump();
    DeleteObject(brush);
  }

  // A client point as a pixel position in the picture (outer rectangle).
  POINT InPicture(int x, int y) const {
    RECT outer;
    GetWindowRect(window, &outer);
    POINT point{x, y};
    ClientToScreen(window, &point);
    return {point.x - outer.left, point.y - outer.top};
  }
};

COLORREF PixelAt(const Picture24& picture, POINT at) {
  size_t offset = RowBytes(picture.width) * static_cast<size_t>(picture.height - 1 - at.y) +
                  static_cast<size_t>(at.x) * 3;
  return RGB(picture.pixels[offset + 2], picture.pixels[offset + 1], picture.pixels[offset]);
}

TEST(WindowCapture, OuterSizeWithFrameAndChildren) {
  TestWindow test;
  ASSERT_NE(test.window, nullptr);
  WindowRef found = FindTopLevelWindow(PROGRAM_TITLE);
  ASSERT_EQ(found, reinterpret_cast<WindowRef>(test.window));

  Picture24 picture;
  ASSERT_EQ(CaptureWindow(found, &picture), CaptureResult::Captured);
  RECT outer;
  GetWindowRect(test.window, &outer);
  EXPECT_EQ(picture.width, outer.right - outer.left);
  EXPECT_EQ(picture.height, outer.bottom - outer.top);
  EXPECT_GT(picture.width, 200);  // the frame is included
  ASSERT_EQ(picture.pixels.size(), RowBytes(picture.width) * picture.height);

  EXPECT_EQ(PixelAt(picture, test.InPicture(150, 100)), WINDOW_COLOUR);
  EXPECT_EQ(PixelAt(picture, test.InPicture(199, 149)), WINDOW_COLOUR);
  EXPECT_EQ(PixelAt(picture, test.InPicture(45, 50)), CHILD_COLOUR);
  EXPECT_NE(PixelAt(picture, {2, 2}), WINDOW_COLOUR);  // the frame, not the client area

  // The window now clips its siblings and is no longer topmost.
  EXPECT_TRUE(GetWindowLongPtrW(test.window, GWL_STYLE) & WS_CLIPSIBLINGS);
  EXPECT_FALSE(GetWindowLongPtrW(test.window, GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST(WindowCapture, NoWindowNoPicture) {
  Picture24 picture;
  EXPECT_EQ(CaptureWindow(nullptr, &picture), CaptureResult::NoWindow);
  EXPECT_EQ(FindTopLevelWindow(u"No window has this title 7f3a"), nullptr);
  EXPECT_EQ(picture.width, 0);
}

TEST(WindowCapture, OwnSnapshotOfTheMainWindow) {
  TestWindow test;
  ScratchFolder folder;
  ExportHooks hooks{[](const Text&) {}, [] {}, MainWindowCapture()};
  EXPECT_TRUE(SaveOwnSnapshot(hooks));
  RECT outer;
  GetWindowRect(test.window, &outer);
  const auto bytes = std::filesystem::file_size("this_sys.bmp");
  EXPECT_EQ(bytes, 54 + RowBytes(outer.right - outer.left) * (outer.bottom - outer.top));
}

// Out of memory for the copy of the picture: no picture, no file, no
// message, and the program goes on.
TEST(WindowCapture, NoMemoryForThePictureNoSnapshot) {
  TestWindow test;
  ScratchFolder folder;
  int messages = 0;
  ExportHooks hooks{[&](const Text&) { ++messages; }, [] {}, MainWindowCapture()};
  Picture24 picture;
  refusedFrom = 64 * 1024;  // the window's picture is larger than this
  const CaptureResult captured = CaptureWindow(FindTopLevelWindow(PROGRAM_TITLE), &picture);
  const bool saved = SaveOwnSnapshot(hooks);
  refusedFrom = 0;
  EXPECT_EQ(captured, CaptureResult::NoPicture);
  EXPECT_EQ(picture.width, 0);
  EXPECT_TRUE(picture.pixels.empty());
  EXPECT_FALSE(saved);
  EXPECT_FALSE(std::filesystem::exists("this_sys.bmp"));
  EXPECT_EQ(messages, 0);
}

}  // namespace
}  // namespace qm
