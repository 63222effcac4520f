// qm_siege_bench [seconds]: the board under a siege of slow and idle
// connections. It starts quillmark-results serve on a fresh SQLite file with
// no cap on connections per address, then for the given time (default 30)
// keeps 512 connections dripping one header byte every 3 s and 512 idle
// kept-alive connections open (each reopened when the board closes it),
// while /healthz is sampled and 100 uploads are sent one after another.
// Then one request with 20,000 headers. It prints the figures beside their
// marks, each with pass or fail, and exits 1 when one failed.
#include <arpa/inet.h>
#include <fcntl.h>
#include <httplib.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/board_process.h"
#include "tests/support/result_samples.h"
#include "tests/support/scratch_folder.h"

namespace qm {
namespace {

constexpr int DRIPPING = 512;
constexpr int IDLE = 512;
constexpr auto DRIP_EVERY = std::chrono::seconds(3);
constexpr int UPLOADS = 100;
constexpr int FLOOD_HEADERS = 20000;
constexpr int WAIT_SECONDS = 60;
constexpr double P99_MARK_MS = 100;
constexpr double RSS_MARK_MB = 200;
constexpr double GROWTH_MARK_MB = 10;

using Clock = std::chrono::steady_clock;

// A line of /proc/PID/status in MB ("VmRSS", "VmHWM"); -1 when unread.
double MemoryMb(pid_t pid, const std::string& field) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind(field + ":", 0) == 0) return std::atof(line.c_str() + field.size() + 1) / 1024.0;
  return -1;
}

void RaiseOpenFileLimit() {
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0) return;
  limit.rlim_cur = limit.rlim_max;
  setrlimit(RLIMIT_NOFILE, &limit);
  getrlimit(RLIMIT_NOFILE, &limit);
  std::printf("open files limit of the siege: %llu\n", static_cast<unsigned long long>(limit.rlim_cur));
}

int Connect(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    close(fd);
    return -1;
  }
  const int one = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  fcntl(fd, F_SETFL, O_NONBLOCK);
  return fd;
}

bool SendAll(int fd, const std::string& bytes) {
  return send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
}

// One siege connection: dripping a request's headers, or idle after one
// kept-alive request.
struct Besieger {
  int fd = -1;
  bool dripping = false;
};

constexpr char DRIP_START[] = "GET / HTTP/1.1\r\nHost: x\r\nX-Slow: ";
constexpr char IDLE_REQUEST[] = "GET /healthz HTTP/1.1\r\nHost: x\r\n\r\n";

bool Open(Besieger* besieger, int port) {
  besieger->fd = Connect(port);
  if (besieger->fd < 0) return false;
  return SendAll(besieger->fd, besieger->dripping ? DRIP_START : IDLE_REQUEST);
}

struct SiegeCounts {
  std::atomic<int64_t> reopened{0};
  std::atomic<int64_t> failedConnects{0};
};

// Keeps every besieger open until stop: reads and drops what the board
// sends, reopens a connection it closed, drips a byte on each dripping one
// every DRIP_EVERY.
void HoldSiege(std::vector<Besieger>* besiegers, int port, const std::atomic<bool>& stop,
               SiegeCounts* counts) {
  auto nextDrip = Clock::now() + DRIP_EVERY;
  std::vector<pollfd> polled(besiegers->size());
  char buffer[4096];
  while (!stop.load()) {
    for (size_t i = 0; i < besiegers->size(); ++i) polled[i] = {(*besiegers)[i].fd, POLLIN, 0};
    poll(polled.data(), polled.size(), 100);
    for (size_t i = 0; i < besiegers->size(); ++i) {
      Besieger& b = (*besiegers)[i];
      bool closed = b.fd < 0;
      if (!closed && (polled[i].revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
        const ssize_t n = recv(b.fd, buffer, sizeof buffer, 0);
        closed = n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK);
      }
      if (!closed) continue;
      if (b.fd >= 0) close(b.fd);
      if (Open(&b, port)) {
        ++counts->reopened;
      } else {
        ++counts->failedConnects;
        if (b.fd >= 0) close(b.fd);
        b.fd = -1;
      }
    }
    if (Clock::now() >= nextDrip) {
      for (Besieger& b : *besiegers)
        if (b.dripping && b.fd >= 0) SendAll(b.fd, "a");
      nextDrip += DRIP_EVERY;
    }
  }
  for (Besieger& b : *besiegers)
    if (b.fd >= 0) close(b.fd);
}

double Percentile(std::vector<double> values, double share) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[std::min(values.size() - 1, static_cast<size_t>(share * static_cast<double>(values.size())))];
}

// /healthz on a new connection every 50 ms until stop; latencies in ms,
// a failed request counted as WAIT_SECONDS.
void SampleHealth(int port, const std::atomic<bool>& stop, std::vector<double>* latencies, int* failed) {
  while (!stop.load()) {
    httplib::Client client("127.0.0.1", port);
    client.set_read_timeout(WAIT_SECONDS);
    const auto start = Clock::now();
    auto res = client.Get("/healthz");
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    if (!res || res->status != 200) ++*failed;
    latencies->push_back(res && res->status == 200 ? ms : WAIT_SECONDS * 1000.0);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

// The uploads, one after another; the number answered 201.
int Upload(int port) {
  int created = 0;
  for (int n = 0; n < UPLOADS; ++n) {
    SampleReport fields;
    fields.averageMs = 1000 + n;
    httplib::Client client("127.0.0.1", port);
    client.set_read_timeout(WAIT_SECONDS);
    auto res = client.Post("/api/results", SampleValidationFile(fields), "application/octet-stream");
    if (res && res->status == 201) ++created;
  }
  return created;
}

// One request with FLOOD_HEADERS headers; the status it got (0: none).
int Flood(int port) {
  std::string request = "GET / HTTP/1.1\r\nHost: x\r\n";
  for (int n = 0; n < FLOOD_HEADERS; ++n) request += "X-Flood-" + std::to_string(n) + ": v\r\n";
  request += "\r\n";
  const int fd = Connect(port);
  if (fd < 0) return 0;
  fcntl(fd, F_SETFL, 0);
  timeval bound{WAIT_SECONDS, 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &bound, sizeof bound);
  setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &bound, sizeof bound);
  // The board may answer and close before it has read everything.
  send(fd, request.data(), request.size(), MSG_NOSIGNAL);
  char head[64] = {};
  const ssize_t n = recv(fd, head, sizeof head - 1, 0);
  close(fd);
  return n > 12 ? std::atoi(head + 9) : 0;
}

const char* Mark(bool passed) { return passed ? "pass" : "FAIL"; }

}  // namespace

int Siege(int argc, char** argv) {
  const int seconds = argc > 1 ? std::max(10, std::atoi(argv[1])) : 30;
  RaiseOpenFileLimit();
  ScratchFolder folder;
  if (chdir(folder.Path().c_str()) != 0) return 1;
  BoardProcess board;
  if (!StartBoardProcess(
          QM_RESULTS_PROGRAM,
          {"--db", "sqlite:siege.db", "--max-uploads-per-minute", "0", "--max-connections-per-address", "0"},
          &board))
    return 1;
  const double rssStart = MemoryMb(board.pid, "VmRSS");

  std::vector<Besieger> besiegers(DRIPPING + IDLE);
  int opened = 0;
  for (size_t i = 0; i < besiegers.size(); ++i) {
    besiegers[i].dripping = i < DRIPPING;
    if (Open(&besiegers[i], board.port)) ++opened;
  }
  std::printf("siege: %d of %d connections open (%d dripping a byte every %lld s, %d idle), %d s\n", opened,
              DRIPPING + IDLE, DRIPPING, static_cast<long long>(DRIP_EVERY.count()), IDLE, seconds);
  std::fflush(stdout);
  std::atomic<bool> stopSiege{false}, stopSampling{false};
  SiegeCounts counts;
  std::thread siege(HoldSiege, &besiegers, board.port, std::cref(stopSiege), &counts);
  std::vector<double> health;
  int healthFailed = 0;
  std::thread sampler(SampleHealth, board.port, std::cref(stopSampling), &health, &healthFailed);

  const int64_t storedBefore = StoredTotal(board.port);
  const int created = Upload(board.port);
  double rssDuring = 0;
  const auto end = Clock::now() + std::chrono::seconds(seconds);
  while (Clock::now() < end) {
    rssDuring = std::max(rssDuring, MemoryMb(board.pid, "VmRSS"));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  stopSampling = true;
  sampler.join();
  const int64_t stored = StoredTotal(board.port) - storedBefore;
  stopSiege = true;
  siege.join();
  // The board lets go of the siege's connections as it notices them closed.
  std::this_thread::sleep_for(std::chrono::seconds(2));
  const double rssAfter = MemoryMb(board.pid, "VmRSS");
  const double hwmAfter = MemoryMb(board.pid, "VmHWM");

  const int floodStatus = Flood(board.port);
  std::this_thread::sleep_for(std::chrono::seconds(1));
  const double rssFlood = MemoryMb(board.pid, "VmRSS");
  const double hwmFlood = MemoryMb(board.pid, "VmHWM");

  const double p50 = Percentile(health, 0.50), p99 = Percentile(health, 0.99);
  const double worst = health.empty() ? 0 : *std::max_element(health.begin(), health.end());
  const bool p99Ok = !health.empty() && p99 < P99_MARK_MS && healthFailed == 0;
  const bool storedOk = created == UPLOADS && stored == UPLOADS;
  const bool rssOk = rssDuring < RSS_MARK_MB && hwmAfter < RSS_MARK_MB;
  const bool floodOk = floodStatus == 431;
  const bool growthOk = rssFlood - rssAfter < GROWTH_MARK_MB;
  std::printf("connections reopened after the board closed them: %lld, failed connects: %lld\n",
              static_cast<long long>(counts.reopened.load()),
              static_cast<long long>(counts.failedConnects.load()));
  std::printf(
      "/healthz: %zu samples, p50 %.1f ms, p99 %.1f ms, max %.1f ms, %d failed (mark p99 < %.0f ms): %s\n",
      health.size(), p50, p99, worst, healthFailed, P99_MARK_MS, Mark(p99Ok));
  std::printf("uploads: %d of %d answered 201, %lld stored (mark %d/%d): %s\n", created, UPLOADS,
              static_cast<long long>(stored), UPLOADS, UPLOADS, Mark(storedOk));
  std::printf(
      "board RSS: %.1f MB at start, %.1f MB most during, %.1f MB after (VmHWM %.1f MB) (mark < %.0f MB): "
      "%s\n",
      rssStart, rssDuring, rssAfter, hwmAfter, RSS_MARK_MB, Mark(rssOk));
  std::printf("%d-header flood: answered %d (mark 431): %s\n", FLOOD_HEADERS, floodStatus, Mark(floodOk));
  std::printf("memory growth from the flood: RSS %+.1f MB, VmHWM %+.1f MB (mark < %.0f MB): %s\n",
              rssFlood - rssAfter, hwmFlood - hwmAfter, GROWTH_MARK_MB, Mark(growthOk));
  StopBoardProcess(board);
  return p99Ok && storedOk && rssOk && floodOk && growthOk ? 0 : 1;
}

}  // namespace qm

int main(int argc, char** argv) {
  try {
    return qm::Siege(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "qm_siege_bench: %s\n", e.what());
    return 1;
  }
}
