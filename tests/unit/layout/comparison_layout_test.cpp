#include "layout/comparison_layout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace qm {
namespace {

TEST(CompareBarValue, HundredthsRoundedHalfToEvenInsideTheBar) {
  const struct {
    double mbPerSecond;
    int bar;
  } cases[] = {
      {0.775, 78},  // 77.5: level with the first reference bar
      {0.625, 62},  // 62.5 rounds down to even
      {0.635, 64},  // 63.5 rounds up to even
      {0.7749, 77}, {0.7751, 78}, {2000.0 / 1500.0, 133},
      {1.0, 100},   {1.70, 170},  {2.0, 170},  // faster than the scale: a full bar
      {0.004, 0},   {0.005, 0},                // half a hundredth: even is 0
      {0.0, 0},                                // before any run
  };
  for (const auto& c : cases) EXPECT_EQ(CompareBarValue(c.mbPerSecond), c.bar) << c.mbPerSecond;
}

TEST(CompareBarValue, SpeedsNoRunCanGiveStayInRange) {
  EXPECT_EQ(CompareBarValue(std::numeric_limits<double>::infinity()), 170);  // average of 0 ms
  EXPECT_EQ(CompareBarValue(std::numeric_limits<double>::quiet_NaN()), 0);
  EXPECT_EQ(CompareBarValue(-1.0), 0);
  EXPECT_EQ(CompareBarValue(1e300), 170);
}

TEST(ShotOfSelector, OwnResultReferencesAndOpenSlots) {
  EXPECT_EQ(ShotOfSelector(0), OWN_RESULT_SHOT);
  for (int k = 1; k <= 7; ++k) EXPECT_EQ(ShotOfSelector(k), k);
  for (int k = 8; k <= 14; ++k) EXPECT_EQ(ShotOfSelector(k), 0);
}

TEST(ScaleToDpi, RoundsHalvesAwayFromZeroAsMulDiv) {
  EXPECT_EQ(ScaleToDpi(15, 96), 15);
  EXPECT_EQ(ScaleToDpi(15, 144), 23);  // 22.5
  EXPECT_EQ(ScaleToDpi(-15, 144), -23);
  EXPECT_EQ(ScaleToDpi(969, 120), 1211);  // 1211.25
  EXPECT_EQ(ScaleToDpi(806, 120), 1008);  // 1007.5
  EXPECT_EQ(ScaleToDpi(12, 72), 9);
}

TEST(LayoutAt, At96DpiEveryElementSitsWhereDrawn) {
  const ComparisonLayout layout = LayoutAt({96, 96});
  EXPECT_EQ(layout.clientWidth, 969);
  EXPECT_EQ(layout.clientHeight, 806);
  EXPECT_EQ(layout.statusFieldWidth, 969);
  EXPECT_EQ(layout.driveBox, (Box{20, 15, 260, 95}));
  EXPECT_EQ(layout.speedHeading, (Box{20, 120, 260, 15}));
  EXPECT_EQ(layout.scale, (Box{21, 135, 0, 0}));
  EXPECT_EQ(layout.ownBar, (Box{20, 160, 260, 10}));
  EXPECT_EQ(layout.referenceLabel[1], (Box{20, 200, 260, 15}));
  EXPECT_EQ(layout.referenceBar[1], (Box{20, 220, 260, 10}));
  EXPECT_EQ(layout.referenceLabel[14], (Box{20, 720, 260, 15}));
  EXPECT_EQ(layout.referenceBar[14], (Box{20, 740, 260, 10}));
  EXPECT_EQ(layout.slotSelector[0], (Box{295, 160, 12, 12}));
  EXPECT_EQ(layout.slotSelector[1], (Box{295, 220, 12, 12}));  // beside the bar of row 1
  EXPECT_EQ(layout.slotSelector[14], (Box{295, 740, 12, 12}));
  EXPECT_EQ(layout.shotView, (Box{325, 1, 0, 0}));
}

TEST(LayoutAt, ScalesEachAxisByItsOwnDpi) {
  const ComparisonLayout wide = LayoutAt({144, 144});
  EXPECT_EQ(wide.clientWidth, 1454);  // 1453.5
  EXPECT_EQ(wide.clientHeight, 1209);
  EXPECT_EQ(wide.scale, (Box{32, 203, 0, 0}));  // 31.5, 202.5; the picture keeps its size
  EXPECT_EQ(wide.referenceLabel[3], (Box{30, 420, 390, 23}));
  EXPECT_EQ(wide.slotSelector[14], (Box{443, 1110, 18, 18}));
  EXPECT_EQ(wide.shotView, (Box{488, 2, 0, 0}));

  const ComparisonLayout tall = LayoutAt({96, 192});
  EXPECT_EQ(tall.ownBar, (Box{20, 320, 260, 20}));
  EXPECT_EQ(tall.clientWidth, 969);
  EXPECT_EQ(tall.clientHeight, 1612);
}

TEST(CentredOrigin, SplitsTheSpareRoomEvenly) {
  EXPECT_EQ(CentredOrigin(1920, 1440, 975, 835), (Origin{472, 302}));
  EXPECT_EQ(CentredOrigin(800, 600, 975, 835), (Origin{-87, -117}));
}

}  // namespace
}  // namespace qm
