#include "engine/speed.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <string>

namespace qm {

int64_t AverageMs(const std::array<int64_t, CYCLES_PER_RUN>& cycleMs) {
  int64_t sum = 0;
  for (int64_t ms : cycleMs) sum += ms;
  return sum / CYCLES_PER_RUN;
}

double MbPerSecond(int64_t averageMs) {
  return static_cast<double>(BYTES_PER_CYCLE) / static_cast<double>(averageMs) * 1000.0 / 1024.0 / 1024.0;
}

Text MbPerSecondText(double mbPerSecond) {
  char buffer[400];  // the longest finite double in fixed notation fits
  auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, mbPerSecond, std::chars_format::fixed, 3);
  if (error != std::errc()) return Text();
  std::string text(buffer, end);
  if (text == "-0.000") text = "0.000";
  return Ascii(text);
}

int RoundTiesToEven(double value) {
  if (std::isnan(value)) return 0;
  // nearbyint rounds in the current rounding mode, which is to nearest,
  // ties to even, unless someone changed it; this program never does.
  const double rounded = std::nearbyint(value);
  if (rounded >= static_cast<double>(INT_MAX)) return INT_MAX;
  if (rounded <= static_cast<double>(INT_MIN)) return INT_MIN;
  return static_cast<int>(rounded);
}

int SpeedBarValue(double mbPerSecond) { return RoundTiesToEven(mbPerSecond * 100.0); }

}  // namespace qm
