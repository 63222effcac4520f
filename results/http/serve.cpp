#include "results/http/serve.h"

#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>

#include "results/http/board_server.h"
#include "results/result_store.h"

namespace qm {

namespace {

std::atomic<int> stopSignal{0};
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler needs a lock-free flag");

extern "C" void OnStopSignal(int signal) { stopSignal.store(signal); }

// What the log may say about the database: a PostgreSQL URI can carry a
// password, so only its kind is named.
std::string DatabaseName(const std::string& db) {
  return db.rfind("postgres", 0) == 0 ? std::string("PostgreSQL") : db;
}

// Every connection is a descriptor: take all the system allows this
// process, and say what that is.
void RaiseOpenFileLimit() {
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0) return;
  if (limit.rlim_cur < limit.rlim_max) {
    const rlim_t was = limit.rlim_cur;
    limit.rlim_cur = limit.rlim_max;
    if (setrlimit(RLIMIT_NOFILE, &limit) != 0) limit.rlim_cur = was;
  }
  std::fprintf(stderr, "quillmark-results: open files limit %llu\n",
               static_cast<unsigned long long>(limit.rlim_cur));
}

}  // namespace

int RunServe(const ServeOptions& options) {
  RaiseOpenFileLimit();
  std::string error;
  StoreOptions storeOptions;
  storeOptions.lockWaitMs = options.lockWaitMs;
  ResultStore* store = OpenResultStore(options.db, storeOptions, &error);
  if (!store) {
    std::fprintf(stderr, "quillmark-results: cannot open the database %s: %s\n",
                 DatabaseName(options.db).c_str(), error.c_str());
    return 1;
  }
  stopSignal.store(0);
  std::signal(SIGINT, OnStopSignal);
  std::signal(SIGTERM, OnStopSignal);
  BoardSettings settings;
  settings.maxUploadsPerMinute = options.maxUploadsPerMinute;
  settings.maxConnectionsPerAddress = options.maxConnectionsPerAddress;
  settings.trustedProxies = options.trustedProxies;
  settings.headerTimeoutMs = options.headerDeadlineMs;
  settings.bodyMinBytesPerSecond = options.minBodyRate;
  BoardServer* server = StartBoardServer(store, options.host, options.port, settings, &error);
  if (!server) {
    std::fprintf(stderr, "quillmark-results: %s\n", error.c_str());
    CloseResultStore(store);
    return 1;
  }
  std::fprintf(stderr, "quillmark-results: serving http://%s:%d/ from %s; Ctrl+C ends\n",
               options.host.c_str(), BoardServerPort(server), DatabaseName(options.db).c_str());
  // The handler only sets the flag; the server is stopped from here.
  while (stopSignal.load() == 0) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  std::fprintf(stderr, "quillmark-results: stopping (signal %d): finishing the requests in flight\n",
               stopSignal.load());
  StopBoardServer(server);
  CloseResultStore(store);
  std::signal(SIGINT, SIG_DFL);
  std::signal(SIGTERM, SIG_DFL);
  std::fprintf(stderr, "quillmark-results: stopped; the database is closed\n");
  return 0;
}

}  // namespace qm
