#include "tests/support/counting_files.h"

#include <mutex>

namespace qm {
namespace {

// One counter is in force at a time; its state lives here so that the
// plain function pointers of the table can reach it.
struct CountingState {
  FileOps below{};
  std::mutex lock;  // guards everything below
  std::map<FileHandle, Text> names;
  std::map<uint32_t, int64_t> bySize;
  std::map<Text, int64_t> byFile;
};

CountingState state;

FileHandle Open(const Text& path, OpenMode mode) {
  FileHandle file = state.below.open(path, mode);
  if (file != nullptr) {
    std::lock_guard<std::mutex> hold(state.lock);
    state.names[file] = path;
  }
  return file;
}

bool Write(FileHandle file, const void* data, uint32_t size) {
  {
    std::lock_guard<std::mutex> hold(state.lock);
    state.bySize[size]++;
    auto name = state.names.find(file);
    state.byFile[name != state.names.end() ? name->second : Text(u"?")]++;
  }
  return state.below.write(file, data, size);
}

void Close(FileHandle file) {
  {
    std::lock_guard<std::mutex> hold(state.lock);
    state.names.erase(file);
  }
  state.below.close(file);
}

}  // namespace

CountingFiles::CountingFiles() {
  std::lock_guard<std::mutex> hold(state.lock);
  state.below = Files();
  state.names.clear();
  state.bySize.clear();
  state.byFile.clear();
  FileOps counting = state.below;
  counting.open = Open;
  counting.write = Write;
  counting.close = Close;
  wrapped_ = SetFileOps(counting);
}

CountingFiles::~CountingFiles() { SetFileOps(wrapped_); }

std::map<uint32_t, int64_t> CountingFiles::WritesBySize() const {
  std::lock_guard<std::mutex> hold(state.lock);
  return state.bySize;
}

std::map<Text, int64_t> CountingFiles::WritesByFile() const {
  std::lock_guard<std::mutex> hold(state.lock);
  return state.byFile;
}

}  // namespace qm
