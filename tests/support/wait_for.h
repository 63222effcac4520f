// Waiting in tests for what a test means, never for a fixed time: the
// condition is polled until it holds or a generous bound has passed, and a
// failure names what was waited for.
#pragma once

#include <functional>
#include <string>

namespace qm {

// The bound of every wait: long enough for a slow, loaded machine.
constexpr int WAIT_BOUND_MS = 30000;

// Polls done() every 10 ms until it holds; true then. After boundMs it
// gives up, prints "gave up waiting for <what>" to stderr and returns false.
bool WaitFor(const std::function<bool()>& done, const std::string& what, int boundMs = WAIT_BOUND_MS);

}  // namespace qm
