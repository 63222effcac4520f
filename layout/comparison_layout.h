// The comparison window without the window: its texts, the reference
// results it shows, the bar value of a speed, and where every element goes
// at a given display DPI. Portable, so that it is tested natively.
#pragma once

#include <array>

namespace qm {

constexpr char16_t COMPARISON_TITLE[] = u"Quillmark Comparision - Orvanta";
constexpr char16_t COMPARISON_STATUS_TEXT[] =
    u"For this Benchmark the drive speed is the goal. The power of your CPU will not have effect (or very "
    u"small) on the final speed obtained.";
constexpr char16_t SPEED_HEADING_TEXT[] = u"Your 4K Drive Speed: ";

constexpr int REFERENCE_ROW_COUNT = 14;
constexpr int SLOT_SELECTOR_COUNT = REFERENCE_ROW_COUNT + 1;  // 0 is the own result
constexpr int REFERENCE_SHOT_COUNT = 7;

// Control ids of the window's elements; the selectors are numbered
// SLOT_SELECTOR_ID_BASE + 0..14, the reference labels and bars likewise.
constexpr int COMPARE_STATUS_BAR_ID = 2000;
constexpr int COMPARE_DRIVE_BOX_ID = 2001;
constexpr int SPEED_HEADING_ID = 2002;
constexpr int COMPARE_SCALE_ID = 2003;
constexpr int OWN_SPEED_BAR_ID = 2004;
constexpr int SHOT_VIEW_ID = 2005;
constexpr int REFERENCE_LABEL_ID_BASE = 2100;  // + k, k = 1..14
constexpr int REFERENCE_BAR_ID_BASE = 2200;    // + k, k = 1..14
constexpr int SLOT_SELECTOR_ID_BASE = 2300;    // + k, k = 0..14

struct ReferenceResult {
  const char16_t* label;
  int barValue;  // hundredths of MB/s
  int shot;      // reference picture 1..7; 0 for an open slot (the empty-slot picture)
};

// Rows 1..14 at indexes 0..13.
const std::array<ReferenceResult, REFERENCE_ROW_COUNT>& ReferenceResults();

// The picture a selector shows: 1..7 a reference picture, 0 the empty-slot
// picture, OWN_RESULT_SHOT the own result (selector 0).
constexpr int OWN_RESULT_SHOT = -1;
int ShotOfSelector(int selector);

// A speed in MB/s as a bar value: hundredths, rounded to the nearest with
// ties to even as the main window's speed bar, held inside 0..SPEED_BAR_MAXIMUM.
int CompareBarValue(double mbPerSecond);

struct Dpi {
  int x;  // LOGPIXELSX of the screen
  int y;  // LOGPIXELSY
};

struct Box {
  int x, y, width, height;
  friend bool operator==(const Box&, const Box&) = default;
};

// MulDiv(value, dpi, 96), rounding halves away from zero as the system does.
int ScaleToDpi(int value, int dpi);

// The window and its elements at one DPI. Pictures keep their pixel sizes,
// so the scale and the shot view carry only their scaled top-left corner.
struct ComparisonLayout {
  int clientWidth, clientHeight;
  int statusFieldWidth;
  Box driveBox;
  Box speedHeading;
  Box scale;  // width and height 0: the picture's own
  Box ownBar;
  std::array<Box, REFERENCE_ROW_COUNT + 1> referenceLabel;  // 1..14 used
  std::array<Box, REFERENCE_ROW_COUNT + 1> referenceBar;    // 1..14 used
  std::array<Box, SLOT_SELECTOR_COUNT> slotSelector;        // 0..14
  Box shotView;                                             // width and height 0: the picture's own
};

ComparisonLayout LayoutAt(Dpi dpi);

// Top-left corner of a window of outerWidth x outerHeight centred on a
// screen of screenWidth x screenHeight.
struct Origin {
  int x, y;
  friend bool operator==(const Origin&, const Origin&) = default;
};
Origin CentredOrigin(int screenWidth, int screenHeight, int outerWidth, int outerHeight);

}  // namespace qm
