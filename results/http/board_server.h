// The board's HTTP server: its pages and API over one open store, on a few
// event-driven connection threads and a bounded pool of database workers.
// RunServe wraps it with the process's signals; tests start it on a free
// port of 127.0.0.1 with short deadlines.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "results/result_store.h"

namespace qm {

struct BoardSettings {
  int64_t maxUploadsPerMinute = 60;         // per client address; 0: no cap
  bool logRequests = true;                  // one line per request on standard error
  int64_t maxConnectionsPerAddress = 64;    // open at once from one peer; 0: no limit
  std::vector<std::string> trustedProxies;  // peers whose X-Forwarded-For names the client
  int connectionThreads = 2;
  int storeWorkers = 8;             // threads doing database work
  int storeQueue = 32;              // jobs waiting for them before 503
  int expensiveAtOnce = 2;          // searches, drive pages and exports running at once
  int expensiveLine = 32;           // more of them waiting for a turn before 503
  int64_t expensiveWaitMs = 5000;   // the longest one waits for its turn before 503
  int64_t headerTimeoutMs = 10000;  // the request line and headers, whole
  int64_t idleTimeoutMs = 5000;     // a kept-alive connection waiting for its next request
  int64_t bodyWindowMs = 5000;      // the body is checked for its rate once per window
  int64_t bodyMinBytesPerSecond = 1000;
  int64_t writeTimeoutMs = 10000;  // one write of a reply
  int64_t stopGraceMs = 8000;      // requests in flight at a stop get this long
};

struct BoardServer;  // opaque: a listening server and its threads

// Listens on host:port (port 0: a free port the system picks) and serves
// from store, which must stay open until StopBoardServer returns. On failure
// returns nullptr and says why in *error.
BoardServer* StartBoardServer(ResultStore* store, const std::string& host, int port,
                              const BoardSettings& settings, std::string* error);

// The port it listens on.
int BoardServerPort(const BoardServer* server);

// Stops taking connections, closes idle and slow ones, lets the requests in
// flight finish within stopGraceMs, cuts what is left, and frees the
// server. The store is left open.
void StopBoardServer(BoardServer* server);

}  // namespace qm
