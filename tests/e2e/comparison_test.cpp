// End to end: quillmark.exe under Wine, its comparison window opened by
// menu command 2, looked at from this process as a user would see it
// (texts, bars, radio buttons, the pixels on the screen), before a run and
// after a full run.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "ui/comparison_layout.h"
#include "ui/resource.h"

namespace qm {
namespace {

constexpr wchar_t PROGRAM_TITLE_TEXT[] = L"Quillmark V2.08 - Orvanta";
constexpr wchar_t COMPARISON_CLASS[] = L"QuillmarkComparisonWindow";

// Unix path of the build (given by CMake) as Wine's drive Z: sees it.
std::wstring WinePath(const char* unixPath) {
  std::wstring path = L"Z:";
  for (const char* c = unixPath; *c != 0; ++c) path += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
  return path;
}

bool Eventually(const std::function<bool()>& done, int milliseconds) {
  for (int waited = 0; waited < milliseconds; waited += 50) {
    if (done()) return true;
    Sleep(50);
  }
  return done();
}

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

LRESULT Ask(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
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

// Pixels as 32-bit BGRX rows, top row first.
struct Pixels {
  int width = 0, height = 0;
  std::vector<uint32_t> bgrx;
  uint32_t At(int x, int y) const { return bgrx[static_cast<size_t>(y) * width + x] & 0xFFFFFF; }
};

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
    ASSERT_TRUE(Eventually(
        [&] {
          return (notice = FindTopLevel(process_.dwProcessId, L"#32770", PROGRAM_TITLE_TEXT)) != nullptr;
        },
        90000))
        << "no startup notice";
    PostMessageW(notice, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(notice, IDOK)));
    ASSERT_TRUE(Eventually(
        [&] {
          return (main_ = FindTopLevel(process_.dwProcessId, L"QuillmarkMainWindow", nullptr)) != nullptr;
        },
        30000));
    // Startup ends by dropping the menu open with a synthesised click.
    HWND menu = nullptr;
    Eventually([&] { return (menu = FindTopLevel(process_.dwProcessId, L"#32768", nullptr)) != nullptr; },
               15000);
    if (menu != nullptr) {
      Ask(main_, WM_CANCELMODE);
      ASSERT_TRUE(
          Eventually([&] { return FindTopLevel(process_.dwProcessId, L"#32768", nullptr) == nullptr; }, 5000))
          << "the menu stays open";
    }
    ASSERT_TRUE(IsWindowEnabled(GetDlgItem(main_, IDC_START_BUTTON)));
  }

  HWND OpenComparison() {
    PostMessageW(main_, WM_COMMAND, CMD_COMPARISON, 0);
    HWND window = nullptr;
    Eventually(
        [&] { return (window = FindTopLevel(process_.dwProcessId, COMPARISON_CLASS, nullptr)) != nullptr; },
        20000);
    if (window == nullptr) return nullptr;
    // The shot view is made last, then the own result goes into it.
    Eventually([&] { return GetDlgItem(window, SHOT_VIEW_ID) != nullptr; }, 20000);
    Ask(window, WM_NULL);
    Sleep(300);  // let the last paint reach the screen
    return window;
  }

  void CloseComparison(HWND window) {
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(Eventually([&] { return !IsWindow(window); }, 10000));
    RECT place{};
    EXPECT_TRUE(Eventually(
        [&] {
          GetWindowRect(main_, &place);
          return place.left == 15;
        },
        10000));
    // The closing pauses and pumps once more after the move; events that
    // arrive meanwhile are dropped by design, so let it finish.
    Sleep(1000);
    Ask(main_, WM_NULL);
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

  SIZE ShotSize(HWND window) {
    RECT shot{};
    GetClientRect(GetDlgItem(window, SHOT_VIEW_ID), &shot);
    return {shot.right, shot.bottom};
  }

  // Clicks selector k and waits until the shot view has taken its picture.
  void Choose(HWND window, int selector, SIZE expected) {
    HWND radio = GetDlgItem(window, SLOT_SELECTOR_ID_BASE + selector);
    PostMessageW(radio, BM_CLICK, 0, 0);
    EXPECT_TRUE(Eventually(
        [&] {
          const SIZE size = ShotSize(window);
          return Ask(radio, BM_GETCHECK) == BST_CHECKED && size.cx == expected.cx && size.cy == expected.cy;
        },
        5000))
        << "selector " << selector;
    Ask(window, WM_NULL);
    Sleep(200);
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
    // A close request that lands in a pump is lost by design: ask again.
    DWORD ended = WAIT_TIMEOUT;
    for (int i = 0; i < 6 && ended != WAIT_OBJECT_0; ++i) {
      PostMessageW(main_, WM_CLOSE, 0, 0);
      ended = WaitForSingleObject(process_.hProcess, 5000);
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

  bool NoMessageBox() { return FindTopLevel(process_.dwProcessId, L"#32770", nullptr) == nullptr; }

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
  EXPECT_GT(ShownMatches(window, assets_ + L"\\empty_slot.bmp"), 0.99);
  SaveScreenshot(window, L"comparison-before-run.bmp");

  Choose(window, 3, shotSize);
  EXPECT_GT(ShownMatches(window, assets_ + L"\\reference_3.bmp"), 0.99);
  EXPECT_LT(ShownMatches(window, assets_ + L"\\reference_1.bmp"), 0.99);
  SaveScreenshot(window, L"comparison-raid0.bmp");
  for (int k = 8; k <= 14; ++k) {
    Choose(window, k, emptySize);
    EXPECT_GT(ShownMatches(window, assets_ + L"\\empty_slot.bmp"), 0.99) << k;
  }
  Choose(window, 0, emptySize);
  EXPECT_GT(ShownMatches(window, assets_ + L"\\empty_slot.bmp"), 0.99);

  CloseComparison(window);
  ExpectMainWindowBack(mainBefore, elements);
  EndProgram();
}

TEST_F(ComparisonEndToEnd, AfterAFullRun) {
  ASSERT_NO_FATAL_FAILURE(StartProgram());
  PostMessageW(main_, WM_COMMAND, CMD_START, 0);
  const std::wstring ownResult = folder_ + L"\\this_sys.bmp";
  // Ten cycles with their countdowns: about 85 s under Wine.
  ASSERT_TRUE(Eventually(
      [&] {
        return GetFileAttributesW(ownResult.c_str()) != INVALID_FILE_ATTRIBUTES && !IsIconic(main_) &&
               TextOf(GetDlgItem(main_, IDC_SPEED_BOX)) != L"MB/s";
      },
      400000))
      << "the run did not finish";
  ASSERT_TRUE(NoMessageBox());
  Sleep(1000);
  Ask(main_, WM_NULL);
  RECT mainBefore{};
  GetWindowRect(main_, &mainBefore);
  const std::vector<ElementState> elements = ElementsOf(main_);
  const int speedBar = static_cast<int>(Ask(GetDlgItem(main_, IDC_SPEED_BAR), PBM_GETPOS));
  const double speed = _wtof(TextOf(GetDlgItem(main_, IDC_SPEED_BOX)).c_str());
  EXPECT_GT(speed, 0.0);

  HWND window = OpenComparison();
  ASSERT_NE(window, nullptr);
  const int ownBar = static_cast<int>(Ask(GetDlgItem(window, OWN_SPEED_BAR_ID), PBM_GETPOS));
  EXPECT_EQ(ownBar, speedBar);  // the main window's bar, by the same rule
  EXPECT_NEAR(ownBar, speed >= 1.70 ? 170 : speed * 100, 1.0);
  ExpectElementsOfTheWindow(window, ownBar);
  const Pixels own = FilePixels(ownResult);
  EXPECT_EQ(ShotSize(window).cx, own.width);
  EXPECT_EQ(ShotSize(window).cy, own.height);
  EXPECT_GT(ShownMatches(window, ownResult), 0.99);
  SaveScreenshot(window, L"comparison-after-run.bmp");

  Choose(window, 3, {646, 855});
  EXPECT_GT(ShownMatches(window, assets_ + L"\\reference_3.bmp"), 0.99);

  // The user deletes the snapshot: selector 0 then shows nothing, quietly.
  ASSERT_TRUE(DeleteFileW(ownResult.c_str()));
  Choose(window, 0, {0, 0});
  EXPECT_EQ(Ask(GetDlgItem(window, SHOT_VIEW_ID), STM_GETIMAGE, IMAGE_BITMAP), 0);
  Sleep(500);
  EXPECT_TRUE(NoMessageBox());
  EXPECT_EQ(WaitForSingleObject(process_.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  SaveScreenshot(window, L"comparison-own-result-deleted.bmp");

  CloseComparison(window);
  ExpectMainWindowBack(mainBefore, elements);
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
  Choose(window, 2, {646, 855});
  EXPECT_GT(ShownMatches(window, assets_ + L"\\reference_2.bmp"), 0.99);
  SaveScreenshot(window, L"comparison-144dpi.bmp");
  CloseComparison(window);
  EndProgram();
}

}  // namespace
}  // namespace qm
