// The results of the one test run a program start allows.
#pragma once

#include <array>
#include <cstdint>

#include "platform/text.h"

namespace qm {

constexpr int CYCLES_PER_RUN = 10;
constexpr int64_t BYTES_PER_CYCLE = 2097152;  // 16 writers x 32 files x 4096 bytes
constexpr int64_t START_STATE_READY = 100;    // START not yet accepted
constexpr int64_t START_STATE_TAKEN = 1;      // the run has been accepted
constexpr int64_t COMPLETED_MARKER = 22;      // a run has finished

struct RunResults {
  int64_t startState = START_STATE_READY;
  std::array<int64_t, CYCLES_PER_RUN> cycleMs{};  // cycles 1..10 at 0..9
  int64_t averageMs = 0;
  double mbPerSecond = 0.0;
  Text mbPerSecondText;
  int64_t completedMarker = 0;
  int64_t fileSizeError = 0;
};

inline bool RunCompleted(const RunResults& results) { return results.completedMarker == COMPLETED_MARKER; }

}  // namespace qm
