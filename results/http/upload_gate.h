// The cap on uploads per client address: at most perMinute uploads in any
// 60 seconds from one address. Every address counts, loopback too. Safe to
// call from every server thread at once.
#pragma once

#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <unordered_map>

namespace qm {

constexpr int64_t UPLOAD_WINDOW_MS = 60000;

struct UploadGate {
  int64_t perMinute = 60;  // 0: no cap
  std::mutex mutex;
  std::unordered_map<std::string, std::deque<int64_t>> recent;  // times of the uploads in the window
  int64_t lastSweepMs = 0;
};

// Counts one upload from address at nowMs (a steady clock) and says whether
// it may go ahead. A refused upload is not counted; *retryAfterSeconds then
// says when the next one will be taken (at least 1).
bool AdmitUpload(UploadGate* gate, const std::string& address, int64_t nowMs, int64_t* retryAfterSeconds);

}  // namespace qm
