#include "engine/test_run.h"

#include <utility>

#include "engine/millisecond_clock.h"
#include "engine/pause.h"
#include "engine/run_cycle.h"
#include "engine/speed.h"
#include "engine/test_files.h"

namespace qm {
namespace {

constexpr int COUNTDOWN_FROM = 5;
constexpr uint32_t COUNTDOWN_STEP_MS = 1003;
constexpr uint32_t AFTER_START_PAUSE_MS = 500;
constexpr uint32_t AFTER_PICTURE_PAUSE_MS = 500;
constexpr uint32_t AFTER_MINIMISE_PAUSE_MS = 62;
constexpr int SPEED_BAR_CYCLE = 7;

// A view may leave out operations it has no use for.
template <typename Operation, typename... Arguments>
void Show(const Operation& operation, Arguments&&... arguments) {
  if (operation) operation(std::forward<Arguments>(arguments)...);
}

}  // namespace

Text RunningRowText(int k) { return u"Cycle: " + DecimalText(int64_t{k}) + u"/10"; }

Text FileSizeErrorMessage(int k) { return u"Cycle " + DecimalText(int64_t{k}) + u",Error On File Dimension"; }

void CycleCountdown(const RunView& view, int k) {
  int counter = COUNTDOWN_FROM;
  do {
    Show(view.setCountdownBar, k, counter);
    Show(view.setBytesText, DecimalText(BYTES_PER_CYCLE));
    Show(view.pumpEvents);
    Pause(COUNTDOWN_STEP_MS);
    --counter;
  } while (counter >= 0);
}

void TestRun(const RunView& view, RunResults& results) {
  if (results.startState != START_STATE_READY) return;
  results.startState = START_STATE_TAKEN;
  Show(view.disableStartButton);
  Pause(AFTER_START_PAUSE_MS);

  Show(view.addCountdownBars);
  Show(view.pumpEvents);
  Show(view.hidePicture);
  Show(view.pumpEvents);
  Pause(AFTER_PICTURE_PAUSE_MS);

  for (int k = 1; k <= CYCLES_PER_RUN; ++k) {
    DeleteTestFiles();
    CycleCountdown(view, k);
    Show(view.setRowBackground, k, RUNNING_ROW);
    Show(view.setRowText, k, RunningRowText(k));
    Show(view.minimiseWindow);
    Pause(AFTER_MINIMISE_PAUSE_MS);

    const int64_t t0 = MillisecondClock();
    RunCycle(view, results);
    results.cycleMs[k - 1] = MillisecondClock() - t0;

    Show(view.restoreWindow);
    Show(view.pumpEvents);
    Show(view.setRowBackground, k, IDLE_ROW);
    if (results.fileSizeError != 0) {
      Show(view.showMessage, FileSizeErrorMessage(k));
      Show(view.endProgram);
      return;
    }
    Show(view.setRowText, k, DecimalText(results.cycleMs[k - 1]));
    if (k == SPEED_BAR_CYCLE) Show(view.setSpeedBar, RoundTiesToEven(135 - 13.5 * 7));  // 40
    ReleaseCycleObjects();
    Show(view.pumpEvents);
  }

  results.averageMs = AverageMs(results.cycleMs);
  results.completedMarker = COMPLETED_MARKER;
  Show(view.setAverageText, DecimalText(results.averageMs));
  Show(view.pumpEvents);

  Show(view.showPicture);
  Show(view.hideCountdownBars);
  Show(view.pumpEvents);

  results.mbPerSecond = MbPerSecond(results.averageMs);
  results.mbPerSecondText = MbPerSecondText(results.mbPerSecond);
  Show(view.setSpeedBar, SpeedBarValue(results.mbPerSecond));
  Show(view.pumpEvents);
  Show(view.setSpeedText, results.mbPerSecondText);
  Show(view.pumpEvents);

  Show(view.saveSnapshot);
}

}  // namespace qm
