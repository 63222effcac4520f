// Time on Windows: the performance counter, GetTickCount, Sleep with the
// multimedia timer's resolution, GetLocalTime.
#include "platform/clock.h"
#include "platform/win32/wide.h"

#include <mmsystem.h>

namespace qm {
namespace {

bool Frequency(int64_t* ticksPerSecond) {
  LARGE_INTEGER value;
  if (!QueryPerformanceFrequency(&value) || value.QuadPart == 0) return false;
  *ticksPerSecond = value.QuadPart;
  return true;
}

int64_t Counter() {
  LARGE_INTEGER value;
  QueryPerformanceCounter(&value);
  return value.QuadPart;
}

uint32_t TickCount() { return GetTickCount(); }

void SleepFor(uint32_t milliseconds) { Sleep(milliseconds); }

void BeginPeriod(uint32_t milliseconds) { timeBeginPeriod(milliseconds); }

LocalTime Now() {
  SYSTEMTIME time;
  GetLocalTime(&time);
  return {time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond};
}

const ClockOps WIN32_CLOCK_OPS = {Frequency, Counter, TickCount, SleepFor, BeginPeriod, Now};

}  // namespace

const ClockOps& NativeClockOps() { return WIN32_CLOCK_OPS; }

}  // namespace qm
