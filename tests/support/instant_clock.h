// Test support: a clock whose pauses take no time but move it on.
//
//   InstantClock clock;          // in force until it goes out of scope
//   Pause(1003);                 // returns at once; clock.NowMs() is 1003 later
//   clock.Advance(250);          // time passes without a pause
//
// The performance counter runs at 1 MHz, the tick count in milliseconds,
// both from the same time, which starts at 1000000 ms. Safe for calls from
// many threads: pauses of concurrent threads add up. The engine's
// millisecond clock is started anew on entry and exit.
#pragma once

#include <cstdint>

#include "platform/clock.h"

namespace qm {

class InstantClock {
 public:
  InstantClock();
  ~InstantClock();
  InstantClock(const InstantClock&) = delete;
  InstantClock& operator=(const InstantClock&) = delete;

  int64_t NowMs() const;
  void Advance(int64_t ms);

  int Sleeps() const;            // pauses taken
  int64_t SleptMs() const;       // their sum
  int TimerPeriodCalls() const;  // calls asking for a timer resolution
  void SetLocalTime(const LocalTime& time);

 private:
  ClockOps replaced_;
};

}  // namespace qm
