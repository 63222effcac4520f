// The board's HTTP server: its pages and its API over one open store, on
// its own threads. RunServe wraps it with the process's signals; tests start
// it on a free port of 127.0.0.1.
#pragma once

#include <cstdint>
#include <string>

#include "results/result_store.h"

namespace qm {

struct BoardSettings {
  int64_t maxUploadsPerMinute = 60;  // per client address; 0: no cap
  bool logRequests = true;           // one line per request on standard error
};

struct BoardServer;  // opaque: a listening server and its threads

// Listens on host:port (port 0: a free port the system picks) and serves
// from store, which must stay open until StopBoardServer returns. On failure
// returns nullptr and says why in *error.
BoardServer* StartBoardServer(ResultStore* store, const std::string& host, int port,
                              const BoardSettings& settings, std::string* error);

// The port it listens on.
int BoardServerPort(const BoardServer* server);

// Stops taking connections, lets the requests in flight finish, and frees
// the server. The store is left open.
void StopBoardServer(BoardServer* server);

}  // namespace qm
