// End to end: quillmark.exe under Wine, its comparison window opened by
// menu command 2, looked at from this process as a user would see it
// (texts, bars, radio buttons, the pixels on the screen): before a run, and
// with the screen at 144 DPI. After a run it is checked inside the full-run
// scenario (comparison_after_run.cpp), which makes the one long run.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "layout/comparison_layout.h"
#include "tests/e2e/comparison_support.h"
#include "ui/resource.h"

namespace qm {
namespace {

constexpr wchar_t PROGRAM_TITLE_TEXT[] = L"Quillmark V2.08 - Orvanta";

// Unix path of the build (given by CMake) as Wine's drive Z: sees it.
std::wstring WinePath(const char* unixPath) {
  std::wstring path = L"Z:";
  for (const char* c = unixPath; *c != 0; ++c) path += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
  return path;
}

class ComparisonEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    folder_ = WinePath(QM_E2E_WORK_DIR) + L"\\comparison_" + std::wstring(name.begin(), name.end());
    artifacts_ = WinePath(QM_E2E_ARTIFACTS_DIR);
    assets_ = WinePath(QM_ASSETS_DIR);
    CreateDirectoryW(WinePath(QM_E2E_WORK_DIR).c_str(), nullptr);
    CreateDirectoryW(folder_.c_str(), nullptr);
    CreateDirectoryW(artifacts_.c_str(), nullptr);
    DeleteFileW((folder_ + L"\\this_sys.bmp").c_str());
  }

  void TearDown() override {
    if (process_.hProcess == nullptr) return;
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(process_.hProcess, 1);
    WaitForSingleObject(process_.hProcess, 10000);
    CloseHandle(process_.hProcess);
    CloseHandle(process_.hThread);
  }

  // Starts the program in the work folder and takes it through startup:
  // the notice is confirmed and the menu that drops open by itself closed.
  void StartProgram() {
    const std::wstring exe = WinePath(QM_QUILLMARK_EXE);
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    ASSERT_TRUE(CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               folder_.c_str(), &startup, &process_));
    HWND notice = nullptr;
    ASSERT_TRUE(WaitFor(
        [&] {
          return (notice = FindTopLevel(process_.dwProcessId, L"#32770", PROGRAM_TITLE_TEXT)) != nullptr;
        },
        "the startup notice", 90000));
    PostMessageW(notice, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(notice, IDOK)));
    ASSERT_TRUE(WaitFor(
        [&] {
          return (main_ = FindTopLevel(process_.dwProcessId, L"QuillmarkMainWindow", nullptr)) != nullptr;
        },
        "the main window"));
    // Startup ends topmost, dropping the menu open with a synthesised
    // click aimed at 96 DPI (at other DPIs it may miss the menu's title).
    ASSERT_TRUE(WaitFor([&] { return (GetWindowLongW(main_, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; },
                        "the end of startup (topmost)"));
    HDC screen = GetDC(nullptr);
    const bool at96 = GetDeviceCaps(screen, LOGPIXELSY) == 96;
    ReleaseDC(nullptr, screen);
    if (at96) {
      WaitFor([&] { return FindTopLevel(process_.dwProcessId, L"#32768", nullptr) != nullptr; },
              "the menu to drop open");
    }
    Ask(main_, WM_CANCELMODE);
    ASSERT_TRUE(WaitFor([&] { return FindTopLevel(process_.dwProcessId, L"#32768", nullptr) == nullptr; },
                        "the menu to close"));
    ASSERT_TRUE(IsWindowEnabled(GetDlgItem(main_, IDC_START_BUTTON)));
  }

  HWND OpenComparison() { return OpenComparisonWindow(main_, process_.dwProcessId); }

  void CloseComparison(HWND window) {
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(window); }, "the comparison window to close"));
    RECT place{};
    EXPECT_TRUE(WaitFor(
        [&] {
          GetWindowRect(main_, &place);
          return place.left == 15;
        },
        "the main window back at x 15"));
  }

  void SaveScreenshot(HWND window, const wchar_t* name) {
    RECT outer{};
    GetWindowRect(window, &outer);
    SavePixels(ScreenPixels(outer), artifacts_ + L"\\" + name);
  }

  void ExpectElementsOfTheWindow(HWND window, int ownBar) {
    HDC screen = GetDC(nullptr);
    const Dpi dpi{GetDeviceCaps(screen, LOGPIXELSX), GetDeviceCaps(screen, LOGPIXELSY)};
    ReleaseDC(nullptr, screen);
    const ComparisonLayout layout = LayoutAt(dpi);
    wchar_t title[128] = {};
    GetWindowTextW(window, title, 128);
    EXPECT_STREQ(title, L"Quillmark Comparision - Orvanta");
    RECT client{}, outer{};
    GetClientRect(window, &client);
    GetWindowRect(window, &outer);
    EXPECT_EQ(client.right, layout.clientWidth);
    EXPECT_EQ(client.bottom, layout.clientHeight);
    EXPECT_EQ(outer.left, (GetSystemMetrics(SM_CXSCREEN) - (outer.right - outer.left)) / 2);
    EXPECT_EQ(outer.top, (GetSystemMetrics(SM_CYSCREEN) - (outer.bottom - outer.top)) / 2);
    EXPECT_EQ(
        TextOf(GetDlgItem(window, COMPARE_STATUS_BAR_ID)),
        L"\tFor this Benchmark the drive speed is the goal. The power of your CPU will not have effect (or "
        L"very small) on the final speed obtained.");
    const std::wstring driveText = TextOf(GetDlgItem(window, COMPARE_DRIVE_BOX_ID));
    EXPECT_FALSE(driveText.empty());
    EXPECT_EQ(driveText, TextOf(GetDlgItem(main_, IDC_DRIVE_BOX)));
    EXPECT_EQ(TextOf(GetDlgItem(window, SPEED_HEADING_ID)), L"Your 4K Drive Speed: ");
    HWND bar = GetDlgItem(window, OWN_SPEED_BAR_ID);
    EXPECT_EQ(Ask(bar, PBM_GETPOS), ownBar);
    EXPECT_EQ(Ask(bar, PBM_GETRANGE, FALSE), 170);
    const wchar_t* labels[] = {L"Crucial P2 2280 SSD - 500 GB",
                               L"WD Black SN850 - 500 GB",
                               L"WD Black SN850 - INTEL RAID 0 - 1 TB",
                               L"Samsung SSD 850 Pro - 256 GB",
                               L"Samsung SSD 860 Pro - 512 GB",
                               L"Samsung SSD 860 Pro - 256 GB",
                               L"WDC PC SN730 - 512 GB"};
    const int values[] = {78, 137, 123, 26, 52, 83, 103};
    for (int k = 1; k <= REFERENCE_ROW_COUNT; ++k) {
      const std::wstring label = k <= 7 ? labels[k - 1] : L"Send Your Result Please";
      EXPECT_EQ(TextOf(GetDlgItem(window, REFERENCE_LABEL_ID_BASE + k)), label) << k;
      EXPECT_EQ(Ask(GetDlgItem(window, REFERENCE_BAR_ID_BASE + k), PBM_GETPOS), k <= 7 ? values[k - 1] : 1)
          << k;
      RECT place{};
      GetWindowRect(GetDlgItem(window, SLOT_SELECTOR_ID_BASE + k), &place);
      MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&place), 2);
      EXPECT_EQ(place.top, layout.slotSelector[k].y) << k;
    }
    for (int k = 0; k < SLOT_SELECTOR_COUNT; ++k) {
      EXPECT_EQ(Ask(GetDlgItem(window, SLOT_SELECTOR_ID_BASE + k), BM_GETCHECK),
                k == 0 ? BST_CHECKED : BST_UNCHECKED)
          << k;
    }
  }

  void ExpectMainWindowBack(const RECT& before, const std::vector<ElementState>& elements) {
    RECT place{};
    GetWindowRect(main_, &place);
    EXPECT_EQ(place.left, 15);
    EXPECT_EQ(place.top, before.top);
    EXPECT_EQ(place.right - place.left, before.right - before.left);
    EXPECT_EQ(place.bottom - place.top, before.bottom - before.top);
    EXPECT_EQ(TextOf(GetDlgItem(main_, IDC_THIS_DRIVE_CAPTION)), L"This drive");
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(main_, IDC_THIS_DRIVE_CAPTION)));
    EXPECT_TRUE(ElementsOf(main_) == elements) << "an element of the main window changed";
  }

  // Closing the window ends the program with exit code 0.
  void EndProgram() {
    // A close request that lands in a pump (the comparison window's last
    // ones included) is lost by design: ask again.
    DWORD ended = WAIT_TIMEOUT;
    for (int i = 0; i < 20 && ended != WAIT_OBJECT_0; ++i) {
      PostMessageW(main_, WM_CLOSE, 0, 0);
      ended = WaitForSingleObject(process_.hProcess, 3000);
    }
    if (ended != WAIT_OBJECT_0) {
      RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
      SavePixels(ScreenPixels(screen), artifacts_ + L"\\comparison-not-ended.bmp");
    }
    ASSERT_EQ(ended, WAIT_OBJECT_0);
    DWORD code = 1;
    GetExitCodeProcess(process_.hProcess, &code);
    EXPECT_EQ(code, 0u);
  }

  std::wstring folder_, artifacts_, assets_;
  PROCESS_INFORMATION process_{};
  HWND main_ = nullptr;
};

TEST_F(ComparisonEndToEnd, BeforeARun) {
  ASSERT_NO_FATAL_FAILURE(StartProgram());
  RECT mainBefore{};
  GetWindowRect(main_, &mainBefore);
  const std::vector<ElementState> elements = ElementsOf(main_);

  HWND window = OpenComparison();
  ASSERT_NE(window, nullptr);
  RECT away{};
  GetWindowRect(main_, &away);
  EXPECT_EQ(away.left, -12000);
  EXPECT_EQ(away.top, mainBefore.top);
  ExpectElementsOfTheWindow(window, 0);
  const SIZE emptySize{644, 783};
  const SIZE shotSize{646, 855};
  EXPECT_EQ(ShotSize(window).cx, emptySize.cx);
  EXPECT_EQ(ShotSize(window).cy, emptySize.cy);
  EXPECT_TRUE(ShowsPicture(window, assets_ + L"\\empty_slot.bmp"));
  SaveScreenshot(window, L"comparison-before-run.bmp");

  EXPECT_TRUE(Choose(window, 3, shotSize));
  EXPECT_TRUE(ShowsPicture(window, assets_ + L"\\reference_3.bmp"));
  EXPECT_LT(ShownMatches(window, assets_ + L"\\reference_1.bmp"), 0.99);
  SaveScreenshot(window, L"comparison-raid0.bmp");
  for (int k = 8; k <= 14; ++k) {
    EXPECT_TRUE(Choose(window, k, emptySize));
    EXPECT_TRUE(ShowsPicture(window, assets_ + L"\\empty_slot.bmp")) << k;
  }
  EXPECT_TRUE(Choose(window, 0, emptySize));
  EXPECT_TRUE(ShowsPicture(window, assets_ + L"\\empty_slot.bmp"));

  // The hidden main window's commands are not acted on, then or later: the
  // loop takes posted messages before the mouse's, so once the click below
  // has been shown the command has been taken, and dropped.
  PostMessageW(main_, WM_COMMAND, CMD_ABOUT, 0);

  // The same with the mouse: a click on a selector, then on the close box.
  EXPECT_TRUE(ChooseWithMouse(window, 5, shotSize));
  EXPECT_EQ(FindTopLevel(process_.dwProcessId, L"#32770", nullptr), nullptr)
      << "a command of the main window";
  EXPECT_TRUE(ShowsPicture(window, assets_ + L"\\reference_5.bmp"));
  EXPECT_TRUE(ChooseWithMouse(window, 0, emptySize));
  POINT closeBox{};
  ASSERT_TRUE(CloseBoxPoint(window, &closeBox));
  MouseClick(closeBox);
  EXPECT_TRUE(WaitFor([&] { return !IsWindow(window); }, "the close box to close the window"));
  CloseComparison(window);
  ExpectMainWindowBack(mainBefore, elements);
  EXPECT_EQ(FindTopLevel(process_.dwProcessId, L"#32770", nullptr), nullptr);
  EndProgram();
}

// The screen at 144 DPI (150 %): the window and its elements grow by half,
// the pictures keep their pixel sizes.
class ComparisonAt144Dpi : public ComparisonEndToEnd {
 protected:
  void SetUp() override {
    ComparisonEndToEnd::SetUp();
    DWORD size = sizeof previousDpi_;
    hadDpi_ = RegGetValueW(HKEY_CURRENT_USER, DESKTOP_KEY, L"LogPixels", RRF_RT_REG_DWORD, nullptr,
                           &previousDpi_, &size) == ERROR_SUCCESS;
    SetDpi(144);
  }
  void TearDown() override {
    ComparisonEndToEnd::TearDown();
    if (hadDpi_) {
      SetDpi(previousDpi_);
    } else {
      RegDeleteKeyValueW(HKEY_CURRENT_USER, DESKTOP_KEY, L"LogPixels");
    }
  }
  static void SetDpi(DWORD dpi) {
    RegSetKeyValueW(HKEY_CURRENT_USER, DESKTOP_KEY, L"LogPixels", REG_DWORD, &dpi, sizeof dpi);
  }
  static constexpr wchar_t DESKTOP_KEY[] = L"Control Panel\\Desktop";
  DWORD previousDpi_ = 96;
  bool hadDpi_ = false;
};

RECT PlaceIn(HWND window, HWND element) {
  RECT place{};
  GetWindowRect(element, &place);
  MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&place), 2);
  return place;
}

TEST_F(ComparisonAt144Dpi, ElementsScaleAndPicturesKeepTheirSize) {
  ASSERT_NO_FATAL_FAILURE(StartProgram());
  HWND window = OpenComparison();
  ASSERT_NE(window, nullptr);
  RECT client{};
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, 1454);  // 969 x 1.5
  EXPECT_EQ(client.bottom, 1209);
  const ComparisonLayout layout = LayoutAt({144, 144});
  auto expectBox = [&](int id, const Box& box, int width, int height) {
    const RECT place = PlaceIn(window, GetDlgItem(window, id));
    EXPECT_EQ(place.left, box.x) << id;
    EXPECT_EQ(place.top, box.y) << id;
    EXPECT_EQ(place.right - place.left, width) << id;
    EXPECT_EQ(place.bottom - place.top, height) << id;
  };
  expectBox(COMPARE_DRIVE_BOX_ID, layout.driveBox, 390, 143);  // 260 x 95
  expectBox(OWN_SPEED_BAR_ID, layout.ownBar, 390, 15);
  expectBox(REFERENCE_LABEL_ID_BASE + 7, layout.referenceLabel[7], 390, 23);
  expectBox(SLOT_SELECTOR_ID_BASE + 14, layout.slotSelector[14], 18, 18);
  expectBox(COMPARE_SCALE_ID, layout.scale, 259, 23);  // a picture: its own size
  expectBox(SHOT_VIEW_ID, layout.shotView, 644, 783);
  EXPECT_TRUE(Choose(window, 2, {646, 855}));
  EXPECT_TRUE(ShowsPicture(window, assets_ + L"\\reference_2.bmp"));
  SaveScreenshot(window, L"comparison-144dpi.bmp");
  CloseComparison(window);
  EndProgram();
}

}  // namespace
}  // namespace qm
