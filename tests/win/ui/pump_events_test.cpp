// The program's own pump: what it must not throw away.
#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "layout/comparison_layout.h"
#include "tests/support/wait_for.h"
#include "ui/comparison_window.h"
#include "ui/window_events.h"

namespace qm {
namespace {

// A quit that arrives while the comparison window is open ends its loop;
// the closing pumps must leave it for the main loop, which ends the program.
TEST(PumpEvents, AQuitDuringTheComparisonWindowReachesTheMainLoop) {
  ComparisonContext context;
  context.instance = GetModuleHandleW(nullptr);
  context.labelFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  context.pumpEvents = PumpEvents;
  context.pause = [](uint32_t) {};
  const DWORD windowThread = GetCurrentThreadId();
  std::thread quitter([&] {
    HWND window = nullptr;
    const bool opened = WaitFor(
        [&] {
          window = FindWindowW(L"QuillmarkComparisonWindow", nullptr);
          return window != nullptr && GetDlgItem(window, SHOT_VIEW_ID) != nullptr;
        },
        "the comparison window with its shot view");
    // Not a window message: a quit for the whole thread, as the system sends it.
    PostThreadMessageW(windowThread, WM_QUIT, 7, 0);
    if (!opened) PostMessageW(window, WM_CLOSE, 0, 0);
  });
  RunComparisonWindow(context);
  quitter.join();
  EXPECT_EQ(FindWindowW(L"QuillmarkComparisonWindow", nullptr), nullptr);
  MSG msg{};
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the quit was lost";
  EXPECT_EQ(msg.wParam, 7u);
}

}  // namespace
}  // namespace qm
