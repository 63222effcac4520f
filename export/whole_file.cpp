#include "export/whole_file.h"

#include <algorithm>

namespace qm {
namespace {

constexpr size_t CHUNK_BYTES = 1 << 20;

}  // namespace

bool WriteWholeFile(const Text& path, OpenMode mode, const std::string& bytes) {
  const FileOps& files = Files();
  FileHandle file = files.open(path, mode);
  if (file == nullptr) return false;
  bool ok = true;
  for (size_t at = 0; ok && at < bytes.size(); at += CHUNK_BYTES) {
    size_t chunk = std::min(CHUNK_BYTES, bytes.size() - at);
    ok = files.write(file, bytes.data() + at, static_cast<uint32_t>(chunk));
  }
  files.close(file);
  return ok;
}

bool ReadWholeFile(const Text& path, std::string* bytes) {
  const FileOps& files = Files();
  FileHandle file = files.open(path, OpenMode::OpenExistingRead);
  if (file == nullptr) return false;
  bytes->clear();
  char buffer[CHUNK_BYTES / 16];
  bool ok = true;
  for (;;) {
    uint32_t done = 0;
    ok = files.read(file, buffer, sizeof buffer, &done);
    if (!ok || done == 0) break;
    bytes->append(buffer, done);
  }
  files.close(file);
  return ok;
}

}  // namespace qm
