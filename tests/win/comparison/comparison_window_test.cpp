// The comparison window in this process, over a stand-in main window and
// pictures made in memory. A second thread looks at the open window and
// clicks it, as a user would, while the window's loop runs on this thread.
// The two meet through the window's pump: after each click the loop shows
// the picture and then pumps, so a new pump means the picture is up.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/scratch_folder.h"
#include "tests/support/wait_for.h"
#include "ui/comparison_window.h"

namespace qm {
namespace {

struct PictureSize {
  int width = 0, height = 0;
  friend bool operator==(const PictureSize&, const PictureSize&) = default;
};

HBITMAP MakePicture(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
}

// A 24-bit uncompressed BMP file, as the own-result snapshot is written.
void WriteBmpFile(const char* name, int width, int height) {
  const uint32_t stride = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
  const uint32_t pixels = stride * static_cast<uint32_t>(height);
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER header{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof header;
  file.bfSize = file.bfOffBits + pixels;
  header.biSize = sizeof header;
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biSizeImage = pixels;
  std::ofstream out(name, std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&header), sizeof header);
  out.write(std::string(pixels, '\x7f').data(), pixels);
}

std::wstring TextOf(HWND window) {
  wchar_t buffer[512] = {};
  SendMessageW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buffer));
  return buffer;
}

// What the watching thread saw of the open window.
struct Seen {
  bool opened = false;
  RECT mainWhileOpen{};
  std::wstring title;
  SIZE client{};
  bool centred = false;
  std::wstring statusText;
  int statusParts = 0;
  int statusFieldEdge = 0;
  std::wstring driveText;
  std::wstring heading;
  int ownBar = -1, ownBarMax = -1;
  std::vector<std::wstring> labels;
  std::vector<int> bars;
  std::vector<int> checked;  // selectors 0..14
  HBITMAP shownAtOpening = nullptr;
  PictureSize sizeAtOpening;
  std::vector<HBITMAP> shownAfterClick;  // one per click in the script
  std::vector<PictureSize> sizeAfterClick;
  std::vector<int> checkedAfterClick;  // the selector checked after each click
  int scaleWidth = 0;
};

PictureSize SizeOf(HWND element) {
  RECT box{};
  GetClientRect(element, &box);
  return {box.right, box.bottom};
}

// One watched opening: the script clicks selectors, in turn; before each
// click, beforeClick[i] (if any) runs.
struct Script {
  std::vector<int> clicks;
  std::vector<std::function<void()>> beforeClick;
};

class ComparisonWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"ComparisonTestMain";
    RegisterClassW(&windowClass);
    main_ = CreateWindowExW(0, L"ComparisonTestMain", L"main", WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 15, 5,
                            656, 885, nullptr, nullptr, windowClass.hInstance, nullptr);
    caption_ = CreateWindowExW(0, L"STATIC", L"This drive", WS_CHILD | WS_VISIBLE | SS_CENTER, 155, 117, 125,
                               15, main_, nullptr, windowClass.hInstance, nullptr);
    for (HBITMAP& shot : context_.referenceShots) shot = MakePicture(646, 855);
    context_.emptySlotPicture = MakePicture(644, 783);
    context_.scalePicture = MakePicture(259, 23);
    context_.mainWindow = main_;
    context_.instance = windowClass.hInstance;
    context_.labelFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    context_.results = &results_;
    context_.driveListText = &driveList_;
    context_.pumpEvents = [this] {
      ++pumps_;  // first, so that the watcher is told before the pump takes its messages
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
    };
    context_.pause = [this](uint32_t ms) { pauses_.push_back(ms); };
  }

  void TearDown() override {
    DestroyWindow(main_);
    for (HBITMAP shot : context_.referenceShots) DeleteObject(shot);
    DeleteObject(context_.emptySlotPicture);
    DeleteObject(context_.scalePicture);
  }

  // Opens the window; another thread records what it shows, plays the
  // script and closes it.
  Seen OpenAndWatch(const Script& script) {
    Seen seen;
    std::thread watcher([&] { Watch(script, &seen); });
    RunComparisonWindow(context_);
    watcher.join();
    return seen;
  }

  void Watch(const Script& script, Seen* seen) {
    HWND window = nullptr;
    // The shot view is the last element; once it has been made, the next
    // message the window's thread takes comes after the own result is shown,
    // in the last pump before the loop: every later pump is the loop's.
    const bool made = WaitFor(
        [&] {
          window = FindWindowW(L"QuillmarkComparisonWindow", nullptr);
          return window != nullptr && GetDlgItem(window, SHOT_VIEW_ID) != nullptr;
        },
        "the comparison window and its shot view");
    if (!made) {
      if (window != nullptr) PostMessageW(window, WM_CLOSE, 0, 0);
      return;
    }
    SendMessageW(window, WM_NULL, 0, 0);
    seen->opened = true;
    GetWindowRect(main_, &seen->mainWhileOpen);
    seen->title = TextOf(window);
    RECT client{}, outer{};
    GetClientRect(window, &client);
    GetWindowRect(window, &outer);
    seen->client = {client.right, client.bottom};
    const int spareX = GetSystemMetrics(SM_CXSCREEN) - (outer.right - outer.left);
    const int spareY = GetSystemMetrics(SM_CYSCREEN) - (outer.bottom - outer.top);
    seen->centred = outer.left == spareX / 2 && outer.top == spareY / 2;

    HWND status = GetDlgItem(window, COMPARE_STATUS_BAR_ID);
    wchar_t statusText[512] = {};
    SendMessageW(status, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(statusText));
    seen->statusText = statusText;
    int edges[4] = {};
    seen->statusParts =
        static_cast<int>(SendMessageW(status, SB_GETPARTS, 4, reinterpret_cast<LPARAM>(edges)));
    seen->statusFieldEdge = edges[0];

    seen->driveText = TextOf(GetDlgItem(window, COMPARE_DRIVE_BOX_ID));
    seen->heading = TextOf(GetDlgItem(window, SPEED_HEADING_ID));
    HWND ownBar = GetDlgItem(window, OWN_SPEED_BAR_ID);
    seen->ownBar = static_cast<int>(SendMessageW(ownBar, PBM_GETPOS, 0, 0));
    seen->ownBarMax = static_cast<int>(SendMessageW(ownBar, PBM_GETRANGE, FALSE, 0));
    for (int k = 1; k <= REFERENCE_ROW_COUNT; ++k) {
      seen->labels.push_back(TextOf(GetDlgItem(window, REFERENCE_LABEL_ID_BASE + k)));
      seen->bars.push_back(
          static_cast<int>(SendMessageW(GetDlgItem(window, REFERENCE_BAR_ID_BASE + k), PBM_GETPOS, 0, 0)));
    }
    for (int k = 0; k < SLOT_SELECTOR_COUNT; ++k) {
      seen->checked.push_back(
          static_cast<int>(SendMessageW(GetDlgItem(window, SLOT_SELECTOR_ID_BASE + k), BM_GETCHECK, 0, 0)));
    }
    seen->scaleWidth = SizeOf(GetDlgItem(window, COMPARE_SCALE_ID)).width;
    HWND shotView = GetDlgItem(window, SHOT_VIEW_ID);
    seen->shownAtOpening = reinterpret_cast<HBITMAP>(SendMessageW(shotView, STM_GETIMAGE, IMAGE_BITMAP, 0));
    seen->sizeAtOpening = SizeOf(shotView);

    for (size_t i = 0; i < script.clicks.size(); ++i) {
      if (i < script.beforeClick.size() && script.beforeClick[i]) script.beforeClick[i]();
      const int pumpsBefore = pumps_;
      PostMessageW(GetDlgItem(window, SLOT_SELECTOR_ID_BASE + script.clicks[i]), BM_CLICK, 0, 0);
      if (!WaitFor([&] { return pumps_ > pumpsBefore; },
                   "the window to show selector " + std::to_string(script.clicks[i]))) {
        break;
      }
      seen->shownAfterClick.push_back(
          reinterpret_cast<HBITMAP>(SendMessageW(shotView, STM_GETIMAGE, IMAGE_BITMAP, 0)));
      seen->sizeAfterClick.push_back(SizeOf(shotView));
      int checked = -1;
      for (int k = 0; k < SLOT_SELECTOR_COUNT; ++k) {
        if (SendMessageW(GetDlgItem(window, SLOT_SELECTOR_ID_BASE + k), BM_GETCHECK, 0, 0) == BST_CHECKED) {
          checked = checked == -1 ? k : -2;  // -2: more than one
        }
      }
      seen->checkedAfterClick.push_back(checked);
    }
    PostMessageW(window, WM_CLOSE, 0, 0);
  }

  void ExpectMainWindowBack() {
    RECT place{};
    GetWindowRect(main_, &place);
    EXPECT_EQ(place.left, 15);
    EXPECT_EQ(place.top, 5);
    EXPECT_EQ(place.right - place.left, 656);
    EXPECT_EQ(place.bottom - place.top, 885);
    EXPECT_TRUE(IsWindow(caption_));
    EXPECT_TRUE(IsWindowVisible(caption_));
    EXPECT_EQ(TextOf(caption_), L"This drive");
    EXPECT_EQ(FindWindowW(L"QuillmarkComparisonWindow", nullptr), nullptr);
  }

  ComparisonContext context_;
  RunResults results_;
  Text driveList_ = u"C:\\ 100 GB\nModel one\nZ:\\ 50 GB\nModel two";
  HWND main_ = nullptr;
  HWND caption_ = nullptr;
  std::atomic<int> pumps_ = 0;
  std::vector<uint32_t> pauses_;
};

TEST_F(ComparisonWindowTest, BeforeARunShowsEveryElementAndTheEmptySlot) {
  ScratchFolder folder;
  WriteBmpFile("this_sys.bmp", 40, 30);  // no run yet: not shown
  Script script;
  const HBITMAP empty = context_.emptySlotPicture;
  const HBITMAP raid = context_.referenceShots[2];
  script.clicks = {3, 8, 14, 1, 0};
  const Seen seen = OpenAndWatch(script);

  ASSERT_TRUE(seen.opened);
  EXPECT_EQ(seen.mainWhileOpen.left, -12000);
  EXPECT_EQ(seen.mainWhileOpen.top, 5);
  EXPECT_EQ(seen.title, L"Quillmark Comparision - Orvanta");
  EXPECT_EQ(seen.client.cx, 969);
  EXPECT_EQ(seen.client.cy, 806);
  EXPECT_TRUE(seen.centred);
  EXPECT_EQ(seen.statusText,
            L"\tFor this Benchmark the drive speed is the goal. The power of your CPU will not have effect "
            L"(or very "
            L"small) on the final speed obtained.");
  EXPECT_EQ(seen.statusParts, 1);
  EXPECT_EQ(seen.statusFieldEdge, 969);
  EXPECT_EQ(seen.heading, L"Your 4K Drive Speed: ");
  EXPECT_EQ(seen.ownBar, 0);
  EXPECT_EQ(seen.ownBarMax, 170);
  EXPECT_EQ(seen.scaleWidth, 259);
  const std::vector<std::wstring> labels = {L"Crucial P2 2280 SSD - 500 GB",
                                            L"WD Black SN850 - 500 GB",
                                            L"WD Black SN850 - INTEL RAID 0 - 1 TB",
                                            L"Samsung SSD 850 Pro - 256 GB",
                                            L"Samsung SSD 860 Pro - 512 GB",
                                            L"Samsung SSD 860 Pro - 256 GB",
                                            L"WDC PC SN730 - 512 GB",
                                            L"Send Your Result Please",
                                            L"Send Your Result Please",
                                            L"Send Your Result Please",
                                            L"Send Your Result Please",
                                            L"Send Your Result Please",
                                            L"Send Your Result Please",
                                            L"Send Your Result Please"};
  EXPECT_EQ(seen.labels, labels);
  EXPECT_EQ(seen.bars, (std::vector<int>{78, 137, 123, 26, 52, 83, 103, 1, 1, 1, 1, 1, 1, 1}));
  std::vector<int> onlyFirst(SLOT_SELECTOR_COUNT, BST_UNCHECKED);
  onlyFirst[0] = BST_CHECKED;
  EXPECT_EQ(seen.checked, onlyFirst);

  EXPECT_EQ(seen.shownAtOpening, empty);
  EXPECT_EQ(seen.sizeAtOpening, (PictureSize{644, 783}));
  ASSERT_EQ(seen.shownAfterClick.size(), 5u);
  EXPECT_EQ(seen.shownAfterClick[0], raid);
  EXPECT_EQ(seen.sizeAfterClick[0], (PictureSize{646, 855}));
  EXPECT_EQ(seen.shownAfterClick[1], empty);
  EXPECT_EQ(seen.sizeAfterClick[1], (PictureSize{644, 783}));
  EXPECT_EQ(seen.shownAfterClick[2], empty);
  EXPECT_EQ(seen.shownAfterClick[3], context_.referenceShots[0]);
  EXPECT_EQ(seen.shownAfterClick[4], empty);
  EXPECT_EQ(seen.checkedAfterClick, (std::vector<int>{3, 8, 14, 1, 0}));  // one group

  ExpectMainWindowBack();
  EXPECT_EQ(pauses_, (std::vector<uint32_t>{50, 200, 200}));
  EXPECT_GT(pumps_, 0);
}

TEST_F(ComparisonWindowTest, AfterARunShowsTheSpeedAndTheSnapshotReadAfreshEachTime) {
  ScratchFolder folder;
  results_.mbPerSecond = 0.775;
  results_.completedMarker = COMPLETED_MARKER;
  WriteBmpFile("this_sys.bmp", 646, 855);
  const HBITMAP empty = context_.emptySlotPicture;
  std::vector<HBITMAP> known(context_.referenceShots.begin(), context_.referenceShots.end());
  known.push_back(empty);
  auto ownFile = [known](HBITMAP b) {
    if (b == nullptr) return false;
    for (HBITMAP k : known)
      if (b == k) return false;
    return true;
  };
  Script script;
  // A newer snapshot written while the window is open, then none at all.
  script.clicks = {0, 3, 0};
  script.beforeClick = {[] { WriteBmpFile("this_sys.bmp", 320, 200); }, nullptr,
                        [] { DeleteFileW(L"this_sys.bmp"); }};
  const HBITMAP raid = context_.referenceShots[2];
  const Seen seen = OpenAndWatch(script);

  ASSERT_TRUE(seen.opened);
  EXPECT_EQ(seen.ownBar, 78);  // level with the first reference
  EXPECT_TRUE(ownFile(seen.shownAtOpening));
  EXPECT_EQ(seen.sizeAtOpening, (PictureSize{646, 855}));
  ASSERT_EQ(seen.shownAfterClick.size(), 3u);
  EXPECT_TRUE(ownFile(seen.shownAfterClick[0]));
  EXPECT_EQ(seen.sizeAfterClick[0], (PictureSize{320, 200}));
  EXPECT_EQ(seen.shownAfterClick[1], raid);
  EXPECT_EQ(seen.shownAfterClick[2], nullptr);  // deleted by hand: no picture, no message
  EXPECT_EQ(seen.sizeAfterClick[2], (PictureSize{0, 0}));
  EXPECT_EQ(seen.checkedAfterClick.back(), 0);
  ExpectMainWindowBack();
}

TEST_F(ComparisonWindowTest, AMissingOrBrokenSnapshotAfterARunShowsNothing) {
  results_.mbPerSecond = 2.5;
  results_.completedMarker = COMPLETED_MARKER;
  for (bool broken : {false, true}) {
    ScratchFolder folder;
    if (broken) std::ofstream("this_sys.bmp", std::ios::binary) << "BM not a picture";
    const Seen seen = OpenAndWatch(Script{});
    ASSERT_TRUE(seen.opened);
    EXPECT_EQ(seen.ownBar, 170);  // faster than the scale: a full bar
    EXPECT_EQ(seen.shownAtOpening, nullptr) << broken;
    EXPECT_EQ(seen.sizeAtOpening, (PictureSize{0, 0})) << broken;
    ExpectMainWindowBack();
  }
}

}  // namespace
}  // namespace qm
