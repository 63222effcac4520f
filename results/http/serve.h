// `quillmark-results serve`: the board's pages and API over HTTP.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qm {

struct ServeOptions {
  std::string db = "sqlite:quillmark-results.db";
  std::string host = "127.0.0.1";
  int port = 8080;
  int64_t maxUploadsPerMinute = 60;       // per client address; 0: no cap
  int64_t maxConnectionsPerAddress = 64;  // 0: no limit
  std::vector<std::string> trustedProxies;
  int64_t lockWaitMs = 1000;         // a database lock held elsewhere: then 503
  int64_t headerDeadlineMs = 10000;  // the request line and headers, whole
  int64_t minBodyRate = 1000;        // bytes a second a body must keep up; 0: none
};

// Serves until SIGINT or SIGTERM, then lets requests in flight finish and
// closes the database. Returns the process's exit status.
int RunServe(const ServeOptions& options);

}  // namespace qm
