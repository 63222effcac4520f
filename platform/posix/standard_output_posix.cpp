// Standard output on POSIX systems: write(2) on descriptor 1.
#include <unistd.h>

#include <cerrno>

#include "platform/standard_output.h"

namespace qm {

bool WriteStandardOutput(const void* data, size_t size) {
  const auto* bytes = static_cast<const char*>(data);
  while (size > 0) {
    ssize_t written = ::write(STDOUT_FILENO, bytes, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}

}  // namespace qm
