// The test run against a recording view, with files in memory and an
// instant clock: what the window is told, in which order, and the figures.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "engine/run_cycle.h"
#include "engine/speed.h"
#include "engine/test_run.h"
#include "tests/support/fault_files.h"
#include "tests/support/instant_clock.h"
#include "tests/support/memory_files.h"
#include "tests/support/recording_view.h"

namespace qm {
namespace {

// With instant pauses and files that open at once, a cycle measures exactly
// its own pauses: 16 writer starts x 4 ms, 16 writers x 32 files x 1 ms
// (they add up on the shared instant clock) and 12 last files x 4 ms.
constexpr int64_t CYCLE_PAUSES_MS = 16 * 4 + 16 * 32 * 1 + 12 * 4;

struct EngineRun : ::testing::Test {
  MemoryFiles memory;
  InstantClock clock;
  RecordingView view;
  RunResults results;

  // Lets cycle k take cycleMs[k - 1] by adding time at the first pump
  // inside the timed part of each cycle.
  void CycleTimes(std::vector<int64_t> cycleMs) {
    view.onEvent = [this, cycleMs, cycle = 0, timing = false](const std::string& event) mutable {
      if (event == "minimiseWindow") {
        timing = true;
        ++cycle;
      } else if (event == "pumpEvents" && timing) {
        timing = false;
        clock.Advance(cycleMs.at(cycle - 1) - CYCLE_PAUSES_MS);
      }
    };
  }

  void TearDown() override { ReleaseCycleObjects(); }
};

std::vector<std::string> NormalRunEvents(const std::vector<int64_t>& cycleMs, const std::string& average,
                                         const std::string& speedBar, const std::string& speed) {
  std::vector<std::string> e = {"disableStartButton", "addCountdownBars", "pumpEvents", "hidePicture",
                                "pumpEvents"};
  for (int k = 1; k <= 10; ++k) {
    const std::string row = std::to_string(k);
    for (int v = 5; v >= 0; --v) {
      e.insert(e.end(),
               {"setCountdownBar " + row + " " + std::to_string(v), "setBytesText 2097152", "pumpEvents"});
    }
    e.insert(e.end(), {"setRowBackground " + row + " 255,64,64",
                       "setRowText " + row + " Cycle: " + row + "/10", "minimiseWindow"});
    e.insert(e.end(), 15, "pumpEvents");  // start, wait, flags cleared, twelve last files
    e.insert(e.end(), {"restoreWindow", "pumpEvents", "setRowBackground " + row + " 64,120,64",
                       "setRowText " + row + " " + std::to_string(cycleMs[k - 1])});
    if (k == 7) e.push_back("setSpeedBar 40");
    e.push_back("pumpEvents");
  }
  e.insert(e.end(),
           {"setAverageText " + average, "pumpEvents", "showPicture", "hideCountdownBars", "pumpEvents",
            "setSpeedBar " + speedBar, "pumpEvents", "setSpeedText " + speed, "pumpEvents", "saveSnapshot"});
  return e;
}

TEST_F(EngineRun, NormalRunTellsTheWindowEveryStepInOrder) {
  const std::vector<int64_t> cycleMs = {1501, 1502, 1503, 1504, 1505, 1506, 1507, 1508, 1509, 1510};
  CycleTimes(cycleMs);
  TestRun(view.View(), results);

  EXPECT_EQ(view.events, NormalRunEvents(cycleMs, "1505", "133", "1.329"));
  for (int k = 0; k < 10; ++k) EXPECT_EQ(results.cycleMs[k], cycleMs[k]);
  EXPECT_EQ(results.startState, 1);
  EXPECT_EQ(results.averageMs, 1505);
  EXPECT_EQ(results.completedMarker, 22);
  EXPECT_EQ(results.fileSizeError, 0);
  EXPECT_EQ(results.mbPerSecondText, u"1.329");
  EXPECT_FALSE(view.programEnded);
  EXPECT_EQ(view.rowBackground[9], (Rgb{64, 120, 64}));
  // The files of the last cycle stay.
  EXPECT_EQ(memory.Names().size(), 512u);
  EXPECT_EQ(memory.OpenHandles(), 0);
  // Outside the timed cycles: 500 + 500 ms at the start, and per cycle
  // 32 x 2 ms deleting, 6 x 1003 ms counting down and 62 ms after minimising.
  EXPECT_EQ(clock.SleptMs(), 1000 + 10 * (32 * 2 + 6 * 1003 + 62 + CYCLE_PAUSES_MS));

  // START once more: nothing happens.
  const RunResults first = results;
  const size_t eventsOfFirstRun = view.events.size();
  TestRun(view.View(), results);
  EXPECT_EQ(view.events.size(), eventsOfFirstRun);
  EXPECT_EQ(results.cycleMs, first.cycleMs);
  EXPECT_EQ(results.mbPerSecondText, first.mbPerSecondText);
}

struct FormulaCase {
  std::array<int64_t, 10> cycleMs;
  int64_t averageMs;
  double mbPerSecond;
  const char16_t* text;
  int speedBar;
};

TEST(EngineSpeed, AverageAndSpeedFollowTheFormula) {
  auto all = [](int64_t ms) {
    std::array<int64_t, 10> cycleMs;
    cycleMs.fill(ms);
    return cycleMs;
  };
  const FormulaCase cases[] = {
      {all(2000), 2000, 1.0, u"1.000", 100},
      {all(1500), 1500, 2097152.0 / 1500 * 1000 / 1024 / 1024, u"1.333", 133},
      {all(1000), 1000, 2.0, u"2.000", 200},  // the bar shows it full at 170
      {{2000, 2000, 2000, 2000, 2000, 2000, 2000, 2000, 2000, 2009}, 2000, 1.0, u"1.000", 100},  // truncated
      {all(3), 3, 2097152.0 / 3 * 1000 / 1024 / 1024, u"666.667", 66667},
  };
  for (const FormulaCase& c : cases) {
    SCOPED_TRACE(c.averageMs);
    EXPECT_EQ(AverageMs(c.cycleMs), c.averageMs);
    EXPECT_EQ(MbPerSecond(c.averageMs), c.mbPerSecond);
    EXPECT_EQ(MbPerSecondText(c.mbPerSecond), c.text);
    EXPECT_EQ(SpeedBarValue(c.mbPerSecond), c.speedBar);
  }
  // Ties go to the even neighbour; a negative zero is written as zero.
  EXPECT_EQ(RoundTiesToEven(40.5), 40);
  EXPECT_EQ(RoundTiesToEven(41.5), 42);
  EXPECT_EQ(MbPerSecondText(-0.0001), u"0.000");
  EXPECT_EQ(MbPerSecondText(0.0005), u"0.001");
}

TEST_F(EngineRun, FileSizeErrorInCycleFourEndsTheProgram) {
  FaultyFiles faults;
  faults.Fail(FileOperation::Size, 3 * 12 + 4);  // the fourth last file of cycle 4
  TestRun(view.View(), results);

  ASSERT_GE(view.events.size(), 2u);
  EXPECT_EQ(view.events[view.events.size() - 2], "showMessage Cycle 4,Error On File Dimension");
  EXPECT_EQ(view.events.back(), "endProgram");
  EXPECT_EQ(view.messages, std::vector<std::string>{"Cycle 4,Error On File Dimension"});
  for (int k = 0; k < 3; ++k) EXPECT_EQ(view.rowText[k], std::to_string(CYCLE_PAUSES_MS));
  EXPECT_EQ(view.rowText[3], "Cycle: 4/10");
  EXPECT_EQ(view.rowBackground[3], (Rgb{64, 120, 64}));
  for (int k = 5; k <= 10; ++k)
    EXPECT_EQ(view.rowText[k - 1], (k < 10 ? "Round 0" : "Round ") + std::to_string(k));
  EXPECT_EQ(results.fileSizeError, 1);
  EXPECT_EQ(results.completedMarker, 0);
  EXPECT_EQ(results.averageMs, 0);
  EXPECT_TRUE(results.mbPerSecondText.empty());
  EXPECT_EQ(view.averageText, "Average");
  EXPECT_EQ(view.Count("saveSnapshot"), 0);
  EXPECT_EQ(view.Count("setSpeedBar 40"), 0);
  // The files of the failed cycle stay on the drive.
  EXPECT_EQ(memory.Names().size(), 512u);
}

TEST(EngineTestRunStart, NothingHappensOnceStartWasTaken) {
  RecordingView view;
  RunResults taken;
  taken.startState = 1;
  TestRun(view.View(), taken);
  EXPECT_TRUE(view.events.empty());
  EXPECT_EQ(taken.completedMarker, 0);
}

}  // namespace
}  // namespace qm
