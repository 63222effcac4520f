#include "platform/posix/kernel_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>

namespace qm {

SourceState SourceStateOfError(int errorNumber) {
  switch (errorNumber) {
    case ENOENT:
    case ENOTDIR: return SourceState::Absent;
    case EACCES:
    case EPERM: return SourceState::Denied;
    default: return SourceState::Failed;
  }
}

SourceState ReadWholeFile(const std::string& path, std::string& bytes) {
  bytes.clear();
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return SourceStateOfError(errno);
  char buffer[65536];
  for (;;) {
    ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      SourceState state = SourceStateOfError(errno);
      ::close(fd);
      return state;
    }
    if (got == 0) break;
    bytes.append(buffer, static_cast<size_t>(got));
  }
  ::close(fd);
  return SourceState::Read;
}

std::optional<std::string> Attribute(const std::string& path) {
  std::string bytes;
  if (ReadWholeFile(path, bytes) != SourceState::Read) return std::nullopt;
  return Trimmed(bytes);
}

SourceState ListFolder(const std::string& path, std::vector<std::string>& names) {
  names.clear();
  DIR* folder = ::opendir(path.c_str());
  if (folder == nullptr) return SourceStateOfError(errno);
  while (const dirent* entry = ::readdir(folder)) {
    std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(std::move(name));
  }
  ::closedir(folder);
  std::sort(names.begin(), names.end());
  return SourceState::Read;
}

std::string LinkName(const std::string& path) {
  char target[PATH_MAX];
  ssize_t length = ::readlink(path.c_str(), target, sizeof target - 1);
  if (length <= 0) return std::string();
  std::string link(target, static_cast<size_t>(length));
  size_t slash = link.rfind('/');
  return slash == std::string::npos ? link : link.substr(slash + 1);
}

std::optional<std::string> CanonicalPath(const std::string& path) {
  char* resolved = ::realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return std::nullopt;
  std::string result = resolved;
  std::free(resolved);
  return result;
}

std::string Trimmed(std::string_view text) {
  const char* blanks = " \t\r\n";
  size_t first = text.find_first_not_of(blanks);
  if (first == std::string_view::npos) return std::string();
  size_t last = text.find_last_not_of(blanks);
  return std::string(text.substr(first, last - first + 1));
}

}  // namespace qm
