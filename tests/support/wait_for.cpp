#include "tests/support/wait_for.h"

#include <chrono>
#include <cstdio>
#include <thread>

namespace qm {

bool WaitFor(const std::function<bool()>& done, const std::string& what, int boundMs) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(boundMs);
  while (!done()) {
    if (std::chrono::steady_clock::now() >= end) {
      std::fprintf(stderr, "gave up waiting for %s after %d ms\n", what.c_str(), boundMs);
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

}  // namespace qm
