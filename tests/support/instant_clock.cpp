#include "tests/support/instant_clock.h"

#include <atomic>
#include <mutex>

#include "engine/millisecond_clock.h"

namespace qm {
namespace {

constexpr int64_t START_US = 1000000000;  // 1000000 ms

struct InstantState {
  std::atomic<int64_t> nowUs{START_US};
  std::atomic<int> sleeps{0};
  std::atomic<int64_t> sleptMs{0};
  std::atomic<int> timerPeriodCalls{0};
  std::mutex lock;  // guards localTime
  LocalTime localTime{2026, 1, 2, 3, 4, 5};
};

InstantState state;

bool Frequency(int64_t* ticksPerSecond) {
  *ticksPerSecond = 1000000;
  return true;
}

int64_t Counter() { return state.nowUs.load(); }

uint32_t TickCount() { return static_cast<uint32_t>(state.nowUs.load() / 1000); }

void SleepFor(uint32_t ms) {
  state.sleeps++;
  state.sleptMs += ms;
  state.nowUs += int64_t{ms} * 1000;
}

void BeginPeriod(uint32_t) { state.timerPeriodCalls++; }

LocalTime Now() {
  std::lock_guard<std::mutex> hold(state.lock);
  return state.localTime;
}

const ClockOps INSTANT_CLOCK_OPS = {Frequency, Counter, TickCount, SleepFor, BeginPeriod, Now};

}  // namespace

InstantClock::InstantClock() {
  state.nowUs = START_US;
  state.sleeps = 0;
  state.sleptMs = 0;
  state.timerPeriodCalls = 0;
  replaced_ = SetClockOps(INSTANT_CLOCK_OPS);
  ResetMillisecondClock();
}

InstantClock::~InstantClock() {
  SetClockOps(replaced_);
  ResetMillisecondClock();
}

int64_t InstantClock::NowMs() const { return state.nowUs.load() / 1000; }
void InstantClock::Advance(int64_t ms) { state.nowUs += ms * 1000; }
int InstantClock::Sleeps() const { return state.sleeps; }
int64_t InstantClock::SleptMs() const { return state.sleptMs; }
int InstantClock::TimerPeriodCalls() const { return state.timerPeriodCalls; }

void InstantClock::SetLocalTime(const LocalTime& time) {
  std::lock_guard<std::mutex> hold(state.lock);
  state.localTime = time;
}

}  // namespace qm
