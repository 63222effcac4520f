// Files on POSIX systems: open(2) and friends, paths in UTF-8.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <vector>

#include "platform/files.h"

namespace qm {
namespace {

// Descriptors travel inside the opaque handle, offset by one so that
// descriptor 0 is not mistaken for "no file".
FileHandle Handle(int fd) { return reinterpret_cast<FileHandle>(static_cast<intptr_t>(fd) + 1); }
int Fd(FileHandle file) { return static_cast<int>(reinterpret_cast<intptr_t>(file) - 1); }

FileHandle Open(const Text& path, OpenMode mode) {
  int flags = O_CLOEXEC;
  switch (mode) {
    case OpenMode::CreateAlwaysReadWrite: flags |= O_RDWR | O_CREAT | O_TRUNC; break;
    case OpenMode::TruncateExistingWrite: flags |= O_WRONLY | O_TRUNC; break;
    case OpenMode::OpenExistingReadExclusive: flags |= O_RDONLY; break;
    case OpenMode::CreateAlwaysWrite: flags |= O_WRONLY | O_CREAT | O_TRUNC; break;
    case OpenMode::OpenExistingRead: flags |= O_RDONLY; break;
    case OpenMode::OpenAlwaysReadWriteExclusive: flags |= O_RDWR | O_CREAT; break;
    case OpenMode::CreateAlwaysReadWriteExclusive: flags |= O_RDWR | O_CREAT | O_TRUNC; break;
    case OpenMode::TruncateExistingWriteExclusive: flags |= O_WRONLY | O_TRUNC; break;
  }
  int fd;
  do {
    fd = ::open(Utf8(path).c_str(), flags, 0666);
  } while (fd < 0 && errno == EINTR);
  return fd < 0 ? nullptr : Handle(fd);
}

bool Write(FileHandle file, const void* data, uint32_t size) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  while (size > 0) {
    ssize_t written = ::write(Fd(file), bytes, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes += written;
    size -= static_cast<uint32_t>(written);
  }
  return true;
}

bool Read(FileHandle file, void* data, uint32_t size, uint32_t* done) {
  ssize_t got;
  do {
    got = ::read(Fd(file), data, size);
  } while (got < 0 && errno == EINTR);
  *done = got > 0 ? static_cast<uint32_t>(got) : 0;
  return got >= 0;
}

bool Size(FileHandle file, uint64_t* bytes) {
  struct stat info;
  if (::fstat(Fd(file), &info) != 0) return false;
  *bytes = static_cast<uint64_t>(info.st_size);
  return true;
}

void Close(FileHandle file) {
  if (file != nullptr) ::close(Fd(file));
}

bool Remove(const Text& path) { return ::unlink(Utf8(path).c_str()) == 0; }

Text CurrentDirectory() {
  std::vector<char> buffer(4096);
  while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE || buffer.size() > (1u << 20)) return Text();
    buffer.resize(buffer.size() * 2);
  }
  return FromUtf8(buffer.data());
}

const FileOps POSIX_FILE_OPS = {Open, Write, Read, Size, Close, Remove, CurrentDirectory};

}  // namespace

const FileOps& NativeFileOps() { return POSIX_FILE_OPS; }

}  // namespace qm
