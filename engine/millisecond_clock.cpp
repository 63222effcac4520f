#include "engine/millisecond_clock.h"

#include "platform/clock.h"

namespace qm {
namespace {

struct ClockState {
  bool started = false;
  bool hasCounter = false;
  int64_t ticksPerMs = 0;
  int64_t origin = 0;
};

ClockState state;

}  // namespace

int64_t MillisecondClock() {
  const ClockOps& clock = Clock();
  if (!state.started) {
    state.started = true;
    int64_t frequency = 0;
    // A counter slower than 1 kHz would give zero ticks per millisecond.
    state.hasCounter = clock.performanceFrequency(&frequency) && frequency / 1000 > 0;
    if (state.hasCounter) {
      state.ticksPerMs = frequency / 1000;
      state.origin = clock.performanceCounter();
    }
  }
  if (!state.hasCounter) return clock.tickCount();
  return (clock.performanceCounter() - state.origin) / state.ticksPerMs;
}

void ResetMillisecondClock() { state = ClockState{}; }

}  // namespace qm
