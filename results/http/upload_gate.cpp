#include "results/http/upload_gate.h"

namespace qm {

namespace {

void Forget(std::deque<int64_t>* times, int64_t nowMs) {
  while (!times->empty() && times->front() <= nowMs - UPLOAD_WINDOW_MS) times->pop_front();
}

// Drops addresses that have been quiet for a whole window, so the map does
// not grow with every address ever seen.
void Sweep(UploadGate* gate, int64_t nowMs) {
  if (nowMs - gate->lastSweepMs < UPLOAD_WINDOW_MS) return;
  gate->lastSweepMs = nowMs;
  for (auto it = gate->recent.begin(); it != gate->recent.end();) {
    Forget(&it->second, nowMs);
    it = it->second.empty() ? gate->recent.erase(it) : std::next(it);
  }
}

}  // namespace

bool AdmitUpload(UploadGate* gate, const std::string& address, int64_t nowMs, int64_t* retryAfterSeconds) {
  if (gate->perMinute <= 0) return true;
  std::lock_guard<std::mutex> lock(gate->mutex);
  Sweep(gate, nowMs);
  std::deque<int64_t>& times = gate->recent[address];
  Forget(&times, nowMs);
  if (static_cast<int64_t>(times.size()) < gate->perMinute) {
    times.push_back(nowMs);
    return true;
  }
  const int64_t waitMs = times.front() + UPLOAD_WINDOW_MS - nowMs;
  *retryAfterSeconds = waitMs <= 0 ? 1 : (waitMs + 999) / 1000;
  return false;
}

}  // namespace qm
