#include "results/http/board_metrics.h"

#include <cstdio>
#include <utility>

#include "results/http/client_address.h"
#include "results/http/http_replies.h"

namespace qm {

namespace {

// A label value in the exposition format's escapes.
std::string Label(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    if (c == '\n') {
      out += "\\n";
      continue;
    }
    out += c;
  }
  return out;
}

std::string Number(double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%.9g", value);
  return text;
}

void Family(std::string* out, const char* name, const char* type, const char* help) {
  *out += std::string("# HELP ") + name + " " + help + "\n# TYPE " + name + " " + type + "\n";
}

bool IsLoopback(const std::string& address) {
  return address == "127.0.0.1" || address == "::1" || address.rfind("127.", 0) == 0;
}

}  // namespace

void CountRequest(BoardMetrics* metrics, const std::string& route, int status, double ms) {
  const double seconds = ms / 1000;
  std::lock_guard<std::mutex> lock(metrics->mutex);
  ++metrics->requests[{route.empty() ? std::string("unmatched") : route, status}];
  for (size_t i = 0; i < LATENCY_BUCKETS_SECONDS.size(); ++i)
    if (seconds <= LATENCY_BUCKETS_SECONDS[i]) {
      ++metrics->latency[i];
      break;
    }
  ++metrics->latencyCount;
  metrics->latencySumSeconds += seconds;
}

void CountUpload(BoardMetrics* metrics, const std::string& outcome) {
  if (!metrics) return;
  std::lock_guard<std::mutex> lock(metrics->mutex);
  ++metrics->uploads[outcome];
}

void CountFault(BoardMetrics* metrics, const std::string& kind) {
  if (!metrics) return;
  std::lock_guard<std::mutex> lock(metrics->mutex);
  ++metrics->faults[kind];
}

std::string MetricsText(BoardMetrics* metrics, int64_t poolInUse) {
  std::string out;
  std::lock_guard<std::mutex> lock(metrics->mutex);
  Family(&out, "quillmark_http_requests_total", "counter", "Requests answered, by route and status.");
  for (const auto& [key, count] : metrics->requests)
    out += "quillmark_http_requests_total{route=\"" + Label(key.first) + "\",status=\"" +
           std::to_string(key.second) + "\"} " + std::to_string(count) + "\n";
  Family(&out, "quillmark_http_request_duration_seconds", "histogram",
         "Time from a request's start to its reply's end.");
  uint64_t cumulative = 0;
  for (size_t i = 0; i < LATENCY_BUCKETS_SECONDS.size(); ++i) {
    cumulative += metrics->latency[i];
    out += "quillmark_http_request_duration_seconds_bucket{le=\"" + Number(LATENCY_BUCKETS_SECONDS[i]) +
           "\"} " + std::to_string(cumulative) + "\n";
  }
  out += "quillmark_http_request_duration_seconds_bucket{le=\"+Inf\"} " +
         std::to_string(metrics->latencyCount) + "\n";
  out += "quillmark_http_request_duration_seconds_sum " + Number(metrics->latencySumSeconds) + "\n";
  out += "quillmark_http_request_duration_seconds_count " + std::to_string(metrics->latencyCount) + "\n";
  Family(&out, "quillmark_uploads_total", "counter", "Uploads, by what came of them.");
  for (const auto& [outcome, count] : metrics->uploads)
    out += "quillmark_uploads_total{outcome=\"" + Label(outcome) + "\"} " + std::to_string(count) + "\n";
  Family(&out, "quillmark_http_connections_open", "gauge", "Client connections open now.");
  out += "quillmark_http_connections_open " + std::to_string(metrics->connectionsOpen.load()) + "\n";
  Family(&out, "quillmark_db_pool_in_use", "gauge", "Database jobs running or queued now.");
  out += "quillmark_db_pool_in_use " + std::to_string(poolInUse) + "\n";
  Family(&out, "quillmark_faults_total", "counter", "Faults met, by kind.");
  for (const auto& [kind, count] : metrics->faults)
    out += "quillmark_faults_total{kind=\"" + Label(kind) + "\"} " + std::to_string(count) + "\n";
  return out;
}

void AddMetricsRoute(RouteTable* table, BoardMetrics* metrics, const std::vector<std::string>& trustedProxies,
                     std::function<size_t()> poolInUse) {
  AddRoute(
      table, "GET", "/metrics", RouteCost::Light,
      [metrics, trustedProxies, poolInUse = std::move(poolInUse)](const HttpRequest& req, HttpReply& res) {
        if (!IsLoopback(req.peerAddress) && !IsTrustedProxy(trustedProxies, req.peerAddress))
          return SendPageError(res, 404, StatusExplanation(404));
        SetContent(res, MetricsText(metrics, static_cast<int64_t>(poolInUse())),
                   "text/plain; version=0.0.4; charset=utf-8");
      });
}

}  // namespace qm
