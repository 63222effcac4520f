#include "layout/comparison_layout.h"

#include <algorithm>
#include <cstdint>

#include "engine/speed.h"
#include "layout/reference_drives.h"

namespace qm {

const std::array<ReferenceResult, REFERENCE_ROW_COUNT>& ReferenceResults() {
  static const std::array<ReferenceResult, REFERENCE_ROW_COUNT> results = [] {
    std::array<ReferenceResult, REFERENCE_ROW_COUNT> rows{};
    for (int k = 0; k < REFERENCE_ROW_COUNT; ++k) {
      if (k < REFERENCE_DRIVE_COUNT) {
        rows[k] = {ReferenceDrives()[k].label, ReferenceDrives()[k].barValue, k + 1};
      } else {
        // Open slots show a sliver, not an empty bar.
        rows[k] = {u"Send Your Result Please", 1, 0};
      }
    }
    return rows;
  }();
  return results;
}

int ShotOfSelector(int selector) {
  if (selector < 1 || selector > REFERENCE_ROW_COUNT) return OWN_RESULT_SHOT;
  return ReferenceResults()[selector - 1].shot;
}

int CompareBarValue(double mbPerSecond) {
  // The main window's rule, held inside this bar's range: an average of 0 ms
  // makes the speed infinite, which must give a full bar, not an overflow.
  return std::clamp(SpeedBarValue(mbPerSecond), 0, SPEED_BAR_MAXIMUM);
}

int ScaleToDpi(int value, int dpi) {
  const int64_t product = int64_t{value} * dpi;
  const int64_t half = 96 / 2;
  return static_cast<int>(product >= 0 ? (product + half) / 96 : (product - half) / 96);
}

namespace {

Box Scaled(Dpi dpi, int x, int y, int width, int height) {
  return {ScaleToDpi(x, dpi.x), ScaleToDpi(y, dpi.y), ScaleToDpi(width, dpi.x), ScaleToDpi(height, dpi.y)};
}

}  // namespace

ComparisonLayout LayoutAt(Dpi dpi) {
  ComparisonLayout layout{};
  layout.clientWidth = ScaleToDpi(969, dpi.x);
  layout.clientHeight = ScaleToDpi(806, dpi.y);
  layout.statusFieldWidth = ScaleToDpi(969, dpi.x);
  layout.driveBox = Scaled(dpi, 20, 15, 260, 95);
  layout.speedHeading = Scaled(dpi, 20, 120, 260, 15);
  layout.scale = Scaled(dpi, 21, 135, 0, 0);
  layout.ownBar = Scaled(dpi, 20, 160, 260, 10);
  layout.slotSelector[0] = Scaled(dpi, 295, 160, 12, 12);
  for (int k = 1; k <= REFERENCE_ROW_COUNT; ++k) {
    layout.referenceLabel[k] = Scaled(dpi, 20, 160 + 40 * k, 260, 15);
    layout.referenceBar[k] = Scaled(dpi, 20, 180 + 40 * k, 260, 10);
    layout.slotSelector[k] = Scaled(dpi, 295, 180 + 40 * k, 12, 12);
  }
  layout.shotView = Scaled(dpi, 325, 1, 0, 0);
  return layout;
}

Origin CentredOrigin(int screenWidth, int screenHeight, int outerWidth, int outerHeight) {
  return {(screenWidth - outerWidth) / 2, (screenHeight - outerHeight) / 2};
}

}  // namespace qm
