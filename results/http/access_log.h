// One line per request on standard error: time, client address, method,
// path, status, body bytes sent and milliseconds taken. Client texts are
// cleaned and cut so that a line stays one line.
#pragma once

#include <cstdint>
#include <string>

namespace qm {

struct AccessEntry {
  std::string address;
  std::string method;  // "-" when the request line never arrived whole
  std::string path;
  int status = 0;
  uint64_t bytes = 0;
  double ms = 0;
};

std::string AccessLogLine(const AccessEntry& entry);

// Writes the line whole, so lines of concurrent requests never interleave.
void WriteAccessLog(const AccessEntry& entry);

}  // namespace qm
