// Parts (b) and (c): the real quillmark-results serving the filled database.
// (b) 16 clients upload distinct files for 20 s over keep-alive connections
// (our own client threads: every upload must be a new report, which a
// replaying load generator cannot give; the clients make their files on the
// same two cores, so the figure is a lower bound), then the count is checked against
// the store. (c) wrk reads the leaderboard page and /api/results with 16
// connections. The machine's load is printed with the figures.
#include "results_bench_http.h"

#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>
#include <vector>

#include "board_process.h"
#include "results/http/board_server.h"
#include "tests/support/scratch_folder.h"

namespace qm {
namespace {

constexpr int CLIENTS = 16;
constexpr int EXPENSIVE_AT_ONCE = BoardSettings().expensiveAtOnce;
constexpr double UPLOAD_SECONDS = 20;
constexpr int WAIT_SECONDS = 60;

std::string Load() {
  std::ifstream file("/proc/loadavg");
  std::string one, five, fifteen;
  file >> one >> five >> fifteen;
  return "load " + one + " " + five + " " + fifteen;
}

// Starts `quillmark-results serve` on backend's database, with no upload cap.
bool StartBoard(const BenchBackend& backend, BoardProcess* board) {
  return StartBoardProcess(ResultsProgram(), {"--db", backend.url, "--max-uploads-per-minute", "0"}, board);
}

double Percentile(std::vector<double> values, double share) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[std::min(values.size() - 1, static_cast<size_t>(share * values.size()))];
}

bool UploadBench(const BenchBackend& backend, int port) {
  const int64_t before = StoredTotal(port);
  std::atomic<int64_t> next{0}, created{0}, failed{0};
  std::vector<std::vector<double>> latencies(CLIENTS);
  const auto start = std::chrono::steady_clock::now();
  const auto end = start + std::chrono::duration<double>(UPLOAD_SECONDS);
  std::vector<std::thread> clients;
  clients.reserve(CLIENTS);
  for (int c = 0; c < CLIENTS; ++c) {
    clients.emplace_back([&, c] {
      httplib::Client client("127.0.0.1", port);
      client.set_keep_alive(true);
      client.set_tcp_nodelay(true);  // headers and body are two writes
      client.set_read_timeout(WAIT_SECONDS);
      while (std::chrono::steady_clock::now() < end) {
        // Each file is made just before it is sent, outside the timing:
        // 20 s of uploads would not fit in memory made ahead.
        const std::string file = BenchValidationFile(next++, "upload");
        const auto sent = std::chrono::steady_clock::now();
        auto res = client.Post("/api/results", file, "application/octet-stream");
        latencies[c].push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - sent).count());
        (res && res->status == 201 ? created : failed)++;
      }
    });
  }
  for (std::thread& client : clients) client.join();
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::vector<double> all;
  for (const auto& each : latencies) all.insert(all.end(), each.begin(), each.end());
  const int64_t after = StoredTotal(port);
  const bool none_lost = after - before == created && failed == 0;
  std::printf(
      "%-8s (b) %d clients uploading for %.1f s: %lld uploads, %.0f/s (target >= 1000/s), p50 %.1f ms, "
      "p99 %.1f ms (target < 50 ms), %lld failed; stored %lld -> %lld: %s; %s\n",
      backend.name.c_str(), CLIENTS, seconds, static_cast<long long>(created.load()),
      static_cast<double>(created) / seconds, Percentile(all, 0.50), Percentile(all, 0.99),
      static_cast<long long>(failed.load()), static_cast<long long>(before), static_cast<long long>(after),
      none_lost ? "none lost" : "COUNT MISMATCH", Load().c_str());
  std::fflush(stdout);
  return none_lost;
}

double FirstAnswerMs(int port, const std::string& path) {
  httplib::Client client("127.0.0.1", port);
  client.set_read_timeout(WAIT_SECONDS);
  const auto start = std::chrono::steady_clock::now();
  client.Get(path);
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// wrk's requests/s and 99th percentile for one address. *refused tells
// whether some answers were not 2xx (the board sheds what it will not queue).
// The address is asked once first, alone, and that first answer's time is
// printed apart: it fills the process's caches (a model's outlier fences),
// as a board that has been running has them. Then a second's warm-up.
bool ReadBench(const BenchBackend& backend, int port, const std::string& path, int clients = CLIENTS,
               bool* refused = nullptr) {
  const double firstMs = FirstAnswerMs(port, path);
  // A second of the same load, untimed: the board opens its database
  // connections as the load asks for them, as a running board has.
  const std::string warmUp = "wrk -t2 -c" + std::to_string(clients) +
                             " -d1s 'http://127.0.0.1:" + std::to_string(port) + path + "' > /dev/null 2>&1";
  if (std::system(warmUp.c_str()) != 0) return false;
  const std::string command = "wrk -t2 -c" + std::to_string(clients) +
                              " -d10s --latency 'http://127.0.0.1:" + std::to_string(port) + path +
                              "' > wrk.out 2>&1";
  if (std::system(command.c_str()) != 0) {
    std::printf("%-8s (c) %s: wrk failed or is missing (apt-get install wrk)\n", backend.name.c_str(),
                path.c_str());
    return false;
  }
  std::stringstream out;
  out << std::ifstream("wrk.out").rdbuf();
  const std::string text = out.str();
  std::smatch rate, p50, p99, errors;
  std::regex_search(text, rate, std::regex(R"(Requests/sec:\s+([\d.]+))"));
  std::regex_search(text, p50, std::regex(R"(50%\s+([\d.]+\w+))"));
  std::regex_search(text, p99, std::regex(R"(99%\s+([\d.]+\w+))"));
  const bool bad = std::regex_search(text, errors, std::regex(R"(Non-2xx or 3xx responses: (\d+))"));
  if (refused != nullptr) *refused = bad;
  std::printf(
      "%-8s %d readers of %s for 10 s (wrk): %s req/s, p50 %s, p99 %s (target < 50 ms)%s; first %.1f ms; "
      "%s\n",
      backend.name.c_str(), clients, path.c_str(), rate.size() > 1 ? rate[1].str().c_str() : "?",
      p50.size() > 1 ? p50[1].str().c_str() : "?", p99.size() > 1 ? p99[1].str().c_str() : "?",
      bad ? (", NON-2xx: " + errors[1].str()).c_str() : "", firstMs, Load().c_str());
  std::fflush(stdout);
  return !bad && rate.size() > 1;
}

// The board's peak resident memory so far, from /proc.
std::string PeakMemory(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmHWM:", 0) == 0) return line;
  return "VmHWM: ?";
}

// One whole download of an export: its time, size and lines, and the
// board's peak memory after it (an export streams, so that stays flat).
bool DownloadBench(const BenchBackend& backend, int port, const std::string& path, pid_t pid) {
  httplib::Client client("127.0.0.1", port);
  client.set_read_timeout(600);
  int64_t bytes = 0, lines = 0;
  const auto start = std::chrono::steady_clock::now();
  auto res = client.Get(path, [&](const char* data, size_t length) {
    bytes += static_cast<int64_t>(length);
    lines += std::count(data, data + length, '\n');
    return true;
  });
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%-8s one download of %s: status %d, %.1f s, %.1f MB, %lld lines; the board's %s; %s\n",
              backend.name.c_str(), path.c_str(), res ? res->status : 0, seconds,
              static_cast<double>(bytes) / 1e6, static_cast<long long>(lines), PeakMemory(pid).c_str(),
              Load().c_str());
  std::fflush(stdout);
  return res && res->status == 200;
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

bool IsExport(const std::string& path) { return EndsWith(path, ".csv") || EndsWith(path, ".jsonl"); }

}  // namespace

bool RunPathsBench(const BenchBackend& backend, const std::vector<std::string>& paths) {
  ScratchFolder folder;
  BoardProcess board;
  if (!StartBoard(backend, &board)) return false;
  bool ok = true;
  for (const std::string& path : paths) {
    // Where the board sheds some of the 16 (it runs a few searches, drive
    // pages and exports at once and lets only so many wait), the answers it
    // does give are timed again with as many readers as it runs.
    if (IsExport(path)) {
      ok = DownloadBench(backend, board.port, path, board.pid) && ok;
      continue;
    }
    bool refused = false;
    ReadBench(backend, board.port, path, CLIENTS, &refused);
    if (refused) ok = ReadBench(backend, board.port, path, EXPENSIVE_AT_ONCE) && ok;
  }
  std::printf("%-8s the board's peak memory: %s\n", backend.name.c_str(), PeakMemory(board.pid).c_str());
  const int status = StopBoardProcess(board);
  return ok && status == 0;
}

bool RunHttpBench(const BenchBackend& backend, bool uploads, bool readers) {
  ScratchFolder folder;
  BoardProcess board;
  if (!StartBoard(backend, &board)) return false;
  bool ok = true;
  if (uploads) ok = UploadBench(backend, board.port) && ok;
  if (readers) {
    ok = ReadBench(backend, board.port, "/") && ok;
    ok = ReadBench(backend, board.port, "/api/results") && ok;
    ok = ReadBench(backend, board.port, "/?page=1000") && ok;
  }
  const int status = StopBoardProcess(board);
  if (status != 0)
    std::printf("%-8s the board ended with status %d after SIGTERM\n", backend.name.c_str(), status);
  return ok && status == 0;
}

}  // namespace qm
