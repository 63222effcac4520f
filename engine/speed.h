// The figures computed from the ten cycle times, as pure functions.
#pragma once

#include <array>
#include <cstdint>

#include "engine/run_results.h"
#include "platform/text.h"

namespace qm {

// The sum of the cycle times divided by 10, truncating.
int64_t AverageMs(const std::array<int64_t, CYCLES_PER_RUN>& cycleMs);

// MiB per second: 2097152 / averageMs * 1000 / 1024 / 1024, left to right
// in double precision.
double MbPerSecond(int64_t averageMs);

// Fixed-point text with exactly three decimals, rounded to the nearest
// thousandth; a negative zero is written as "0.000".
Text MbPerSecondText(double mbPerSecond);

// The nearest integer, ties to even, held within the range of int (NaN
// gives 0).
int RoundTiesToEven(double value);

// The speed bar's full scale, in its units (hundredths of MB/s): the bar is
// full at 1.70 MB/s, in the main window, the comparison window, the console
// and on the board.
constexpr int SPEED_BAR_MAXIMUM = 170;

// The value of SpeedBar for a speed: hundredths of MB/s, ties to even. The
// bar itself shows at most SPEED_BAR_MAXIMUM.
int SpeedBarValue(double mbPerSecond);

}  // namespace qm
