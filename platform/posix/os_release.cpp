#include "platform/posix/os_release.h"

#include "platform/posix/kernel_files.h"

namespace qm {

std::optional<std::string> OsReleaseValue(std::string_view osRelease, std::string_view key) {
  std::optional<std::string> found;
  ForEachLine(osRelease, [&](std::string_view line) {
    if (found) return;
    size_t equals = line.find('=');
    if (equals == std::string_view::npos || Trimmed(line.substr(0, equals)) != key) return;
    std::string raw = Trimmed(line.substr(equals + 1));
    if (raw.size() >= 2 && (raw.front() == '"' || raw.front() == '\'') && raw.back() == raw.front()) {
      bool escapes = raw.front() == '"';
      std::string value;
      for (size_t i = 1; i + 1 < raw.size(); ++i) {
        if (escapes && raw[i] == '\\' && i + 2 < raw.size()) ++i;
        value.push_back(raw[i]);
      }
      raw = value;
    }
    found = raw;
  });
  return found;
}

}  // namespace qm
