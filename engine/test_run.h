// The test run behind START: ten timed cycles, their times, the average and
// the speed, shown through a RunView and kept in RunResults.
#pragma once

#include "engine/run_results.h"
#include "engine/run_view.h"

namespace qm {

constexpr Rgb RUNNING_ROW = {255, 64, 64};
constexpr Rgb IDLE_ROW = {64, 120, 64};
constexpr Rgb ROW_TEXT = {138, 255, 138};  // on every row background

// Counts cycle k down on countdown bar k: 5, 4, 3, 2, 1, 0, each step shown
// with the bytes text, pumped, then 1003 ms of pause.
void CycleCountdown(const RunView& view, int k);

// The whole run; does nothing unless results.startState is 100. Returns
// when the run is over. After a failed cycle it shows the cycle's message
// and calls view.endProgram; should that return, TestRun returns at once.
void TestRun(const RunView& view, RunResults& results);

// "Cycle: k/10".
Text RunningRowText(int k);

// "Cycle k,Error On File Dimension".
Text FileSizeErrorMessage(int k);

}  // namespace qm
