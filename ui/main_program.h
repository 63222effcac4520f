// The main program's long-lived state: fonts, pictures, MainWindow and its
// elements, the pending window events, and the records the other parts
// fill. One instance, alive from startup to the end of the process.
#pragma once

#include <windows.h>

#include <array>
#include <deque>
#include <vector>

#include "engine/run_results.h"
#include "engine/run_view.h"
#include "inventory/system_inventory.h"
#include "layout/comparison_layout.h"
#include "platform/text.h"
#include "ui/resource.h"

namespace qm {

constexpr int ROUND_ROWS = 10;
constexpr int COUNTDOWN_BARS = 10;

constexpr COLORREF AVERAGE_BOX_BACKGROUND = RGB(128, 200, 64);  // AverageBox, ThisDriveBox
constexpr COLORREF SPEED_BOX_BACKGROUND = RGB(80, 200, 80);     // SpeedBox, BytesBox
constexpr COLORREF ColourOf(Rgb colour) { return RGB(colour.red, colour.green, colour.blue); }

struct Fonts {
  HFONT valueFont = nullptr;  // Arial 18 pt
  HFONT labelFont = nullptr;  // Arial 8 pt
  HFONT startFont = nullptr;  // Arial 36 pt bold
};

struct Pictures {
  HBITMAP diagram = nullptr;
  HBITMAP donation = nullptr;
  HBITMAP blankBanner = nullptr;
  HBITMAP scale = nullptr;
  std::array<HBITMAP, REFERENCE_SHOT_COUNT> referenceShots{};  // shots 1..7 at 0..6
  HBITMAP emptySlot = nullptr;
};

struct MainWindow {
  HWND window = nullptr;
  HMENU menu = nullptr;
  HWND systemInfoBox = nullptr;
  HWND testDiagram = nullptr;
  HWND driveCaption = nullptr;
  HWND driveBox = nullptr;
  HWND averageCaption = nullptr;
  HWND thisDriveCaption = nullptr;
  HWND speedCaption = nullptr;
  HWND bytesCaption = nullptr;
  HWND averageBox = nullptr;
  HWND thisDriveBox = nullptr;
  HWND speedBox = nullptr;
  HWND bytesBox = nullptr;
  HWND speedScale = nullptr;
  HWND speedBar = nullptr;
  HWND roundsCaption = nullptr;
  std::array<HWND, ROUND_ROWS> roundRows{};  // rows 1..10 at 0..9
  HWND donationBanner = nullptr;
  HWND startButton = nullptr;
  std::array<HWND, COUNTDOWN_BARS> countdownBars{};  // bars 1..10 at 0..9, made by a run
  std::array<COLORREF, ROUND_ROWS> rowBackgrounds{};
  bool bannerBlank = false;  // the banner shows BlankBannerPicture while it blinks
  int dpiX = 96;             // LOGPIXELSX of the screen
  int dpiY = 96;             // LOGPIXELSY
};

struct ColourBrush {
  COLORREF colour;
  HBRUSH brush;
};

// What the window procedure hands to the event loop.
enum class EventKind { MenuCommand, StartClicked, DonationClicked, CloseRequested };
struct WindowEvent {
  EventKind kind;
  int command = 0;  // MenuCommand: the command id
};

struct MainProgram {
  HINSTANCE instance = nullptr;
  HMODULE richEdit = nullptr;  // RichEdit 2.0, loaded for the two edit boxes
  Fonts fonts;
  Pictures pictures;
  std::vector<ColourBrush> brushes;  // backgrounds of the value boxes and rows
  MainWindow main;
  std::deque<WindowEvent> events;
  bool quit = false;
  RunResults results;
  RunView view;
  SystemInventory inventory;
  int systemInfoLineCount = 0;  // lines added to SystemInfoBox
  Text reportBaseName;          // empty until the first save of the results
  Text driveListText;
  Text driveUnderTest;
};

MainProgram& Program();

}  // namespace qm
