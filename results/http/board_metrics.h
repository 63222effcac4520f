// The board's figures in Prometheus text: requests by route and status, a
// latency histogram, uploads by outcome, connections open, database work in
// use and faults by kind. Counted from every thread at once.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "results/http/route_table.h"

namespace qm {

constexpr std::array<double, 11> LATENCY_BUCKETS_SECONDS = {0.005, 0.01, 0.025, 0.05, 0.1, 0.25,
                                                            0.5,   1,    2.5,   5,    10};

struct BoardMetrics {
  std::mutex mutex;
  std::map<std::pair<std::string, int>, uint64_t> requests;        // (route, status)
  std::map<std::string, uint64_t> uploads;                         // by outcome
  std::map<std::string, uint64_t> faults;                          // by kind
  std::array<uint64_t, LATENCY_BUCKETS_SECONDS.size()> latency{};  // not cumulative; summed on output
  uint64_t latencyCount = 0;
  double latencySumSeconds = 0;
  std::atomic<int64_t> connectionsOpen{0};
  std::atomic<int64_t> poolInUse{0};
};

// route: the pattern that answered, "" for a request no route took.
void CountRequest(BoardMetrics* metrics, const std::string& route, int status, double ms);
void CountUpload(BoardMetrics* metrics, const std::string& outcome);
void CountFault(BoardMetrics* metrics, const std::string& kind);

std::string MetricsText(BoardMetrics* metrics, int64_t poolQueued);

// GET /metrics, for loopback peers and the trusted proxies only; anyone
// else is told there is no such page.
void AddMetricsRoute(RouteTable* table, BoardMetrics* metrics, const std::vector<std::string>& trustedProxies,
                     std::function<size_t()> poolQueued);

}  // namespace qm
