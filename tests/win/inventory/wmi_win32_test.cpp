// The real COM/WMI query sequence: the five startup queries fill the
// processor, board, graphics adapter, memory and operating system lines
// without a failure box, and running them again in the same process (security
// already set) still succeeds.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <thread>

#include "inventory/system_info_panel.h"
#include "inventory/wmi_query.h"
#include "tests/support/wait_for.h"

namespace qm {
namespace {

std::vector<Text> RunQueries(SystemInventory& inventory) {
  std::vector<Text> messages;
  QuerySystemInventory(
      inventory, [&](const Text& caption, const Text& text) { messages.push_back(caption + u": " + text); });
  return messages;
}

TEST(WmiWin32, StartupQueriesFillTheLinesWithoutABox) {
  SystemInventory inventory;
  EXPECT_EQ(RunQueries(inventory), std::vector<Text>());
  for (const Text& line : SystemInfoLines(inventory)) std::printf("%s\n", Utf8(line).c_str());

  EXPECT_FALSE(EntryValue(inventory.processorName, 6).empty());
  EXPECT_FALSE(EntryValue(inventory.processorCores, 15).empty());
  EXPECT_FALSE(EntryValue(inventory.boardManufacturer, 14).empty());
  EXPECT_FALSE(EntryValue(inventory.gpuName, 9).empty());
  EXPECT_FALSE(EntryValue(inventory.osName, 9).empty());
  EXPECT_FALSE(EntryValue(inventory.osBuild, 13).empty());
  EXPECT_FALSE(inventory.memoryCapacities.empty());

  SystemInventory again;
  EXPECT_EQ(RunQueries(again), std::vector<Text>());
  EXPECT_EQ(SystemInfoLines(again), SystemInfoLines(inventory));
}

// What a helper thread saw of the failure box before pressing its OK.
struct SeenBox {
  bool found = false;
  HWND owner = nullptr;
  std::wstring text;
  bool hasIcon = false;
  bool hasCancel = false;
};

SeenBox PressOkOnBox(const wchar_t* caption) {
  SeenBox seen;
  HWND box = nullptr;
  // Shown once its text and buttons are in place.
  WaitFor([&] { return (box = FindWindowW(L"#32770", caption)) != nullptr && IsWindowVisible(box); },
          "the failure box");
  if (box != nullptr) {
    seen.found = true;
    seen.owner = GetWindow(box, GW_OWNER);
    wchar_t text[256] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 256);
    seen.text = text;
    // The icon control (id 20 on Windows, 0x440 in Wine's template) holds
    // an icon only when the box asks for one.
    for (int id : {20, 0x440}) {
      HWND icon = GetDlgItem(box, id);
      if (icon != nullptr && SendMessageW(icon, STM_GETICON, 0, 0) != 0) seen.hasIcon = true;
    }
    seen.hasCancel = GetDlgItem(box, IDCANCEL) != nullptr && IsWindowVisible(GetDlgItem(box, IDCANCEL));
    PostMessageW(box, WM_COMMAND, IDOK, 0);
  }
  return seen;
}

TEST(WmiWin32, FailureBoxHasOneOkButtonNoIconAndOurForegroundWindowAsOwner) {
  HWND window = CreateWindowExW(0, L"STATIC", L"inventory owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10,
                                200, 100, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(window, nullptr);
  SetForegroundWindow(window);
  const bool ours = GetForegroundWindow() == window;

  SeenBox seen;
  std::thread presser([&seen] { seen = PressOkOnBox(L"80041003"); });
  Wmi().showMessage(u"80041003", u"unable To call IWbemLocator::ConnectServer");
  presser.join();
  DestroyWindow(window);

  ASSERT_TRUE(seen.found);
  EXPECT_EQ(seen.text, L"unable To call IWbemLocator::ConnectServer");
  EXPECT_FALSE(seen.hasIcon);
  EXPECT_FALSE(seen.hasCancel);
  EXPECT_TRUE(ours);
  EXPECT_EQ(seen.owner, window);
}

}  // namespace
}  // namespace qm
