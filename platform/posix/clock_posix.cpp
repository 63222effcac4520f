// Time on POSIX systems: the monotonic clock in nanoseconds stands in for
// the performance counter; sleeps already have millisecond resolution.
#include <time.h>

#include <cerrno>

#include "platform/clock.h"

namespace qm {
namespace {

int64_t MonotonicNanoseconds() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

bool Frequency(int64_t* ticksPerSecond) {
  *ticksPerSecond = 1000000000;
  return true;
}

int64_t Counter() { return MonotonicNanoseconds(); }

uint32_t TickCount() { return static_cast<uint32_t>(MonotonicNanoseconds() / 1000000); }

void SleepFor(uint32_t milliseconds) {
  timespec rest{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000};
  while (nanosleep(&rest, &rest) != 0 && errno == EINTR) {
  }
}

void BeginPeriod(uint32_t) {}

LocalTime Now() {
  time_t seconds = time(nullptr);
  tm parts{};
  localtime_r(&seconds, &parts);
  return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec};
}

const ClockOps POSIX_CLOCK_OPS = {Frequency, Counter, TickCount, SleepFor, BeginPeriod, Now};

}  // namespace

const ClockOps& NativeClockOps() { return POSIX_CLOCK_OPS; }

}  // namespace qm
