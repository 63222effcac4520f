// Time: the performance counter, the tick count, sleeping, the system timer
// resolution and the local calendar time, as a table of functions (see
// files.h). Tests put an instant clock in force.
#pragma once

#include <cstdint>

namespace qm {

struct LocalTime {
  int year;    // four digits
  int month;   // 1..12
  int day;     // 1..31
  int hour;    // 0..23
  int minute;  // 0..59
  int second;  // 0..59
};

struct ClockOps {
  // Ticks per second of the high-resolution counter; false when there is none.
  bool (*performanceFrequency)(int64_t* ticksPerSecond);
  // The counter's current value.
  int64_t (*performanceCounter)();
  // Milliseconds since system start, wrapping at 2^32.
  uint32_t (*tickCount)();
  // Sleeps for the given milliseconds (0 yields).
  void (*sleep)(uint32_t milliseconds);
  // Asks the system for a timer resolution of the given milliseconds.
  void (*beginTimerPeriod)(uint32_t milliseconds);
  // The local date and time now.
  LocalTime (*localTime)();
};

const ClockOps& Clock();
const ClockOps& NativeClockOps();
ClockOps SetClockOps(const ClockOps& ops);

}  // namespace qm
