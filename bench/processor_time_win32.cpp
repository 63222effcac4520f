#include <windows.h>

#include "bench/processor_time.h"

namespace qm {

// The C library's clock() on Windows counts elapsed time, not processor time.
double ProcessorMs() {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0.0;
  auto hundredNs = [](const FILETIME& time) {
    return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
  };
  return static_cast<double>(hundredNs(kernel) + hundredNs(user)) / 10000.0;
}

}  // namespace qm
