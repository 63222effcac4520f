#include "tests/support/memory_files.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

namespace qm {

struct FileObject {
  std::shared_ptr<std::string> data;
  size_t position = 0;
};

namespace {

struct MemoryState {
  mutable std::mutex lock;  // guards files (the map, not the contents)
  std::map<Text, std::shared_ptr<std::string>> files;
  std::atomic<int> openHandles{0};
};

MemoryState state;

FileHandle Open(const Text& path, OpenMode mode) {
  std::lock_guard<std::mutex> hold(state.lock);
  auto found = state.files.find(path);
  const bool exists = found != state.files.end();
  std::shared_ptr<std::string> data;
  switch (mode) {
    case OpenMode::CreateAlwaysReadWrite:
    case OpenMode::CreateAlwaysWrite:
    case OpenMode::CreateAlwaysReadWriteExclusive:
      data = exists ? found->second : (state.files[path] = std::make_shared<std::string>());
      data->clear();
      break;
    case OpenMode::OpenAlwaysReadWriteExclusive:
      data = exists ? found->second : (state.files[path] = std::make_shared<std::string>());
      break;
    case OpenMode::TruncateExistingWrite:
    case OpenMode::TruncateExistingWriteExclusive:
      if (!exists) return nullptr;
      data = found->second;
      data->clear();
      break;
    default:  // the modes that open an existing file as it is
      if (!exists) return nullptr;
      data = found->second;
      break;
  }
  state.openHandles++;
  return new FileObject{data, 0};
}

bool Write(FileHandle file, const void* data, uint32_t size) {
  if (file == nullptr) return false;
  std::string& content = *file->data;
  if (file->position == content.size()) {  // appending: the common case, kept cheap
    content.append(static_cast<const char*>(data), size);
    file->position += size;
    return true;
  }
  if (content.size() < file->position + size) content.resize(file->position + size);
  std::memcpy(&content[file->position], data, size);
  file->position += size;
  return true;
}

bool Read(FileHandle file, void* data, uint32_t size, uint32_t* done) {
  *done = 0;
  if (file == nullptr) return false;
  const std::string& content = *file->data;
  if (file->position < content.size()) {
    *done = static_cast<uint32_t>(std::min<size_t>(size, content.size() - file->position));
    std::memcpy(data, content.data() + file->position, *done);
    file->position += *done;
  }
  return true;
}

bool Size(FileHandle file, uint64_t* bytes) {
  if (file == nullptr) return false;
  *bytes = file->data->size();
  return true;
}

void Close(FileHandle file) {
  if (file == nullptr) return;
  state.openHandles--;
  delete file;
}

bool Remove(const Text& path) {
  std::lock_guard<std::mutex> hold(state.lock);
  return state.files.erase(path) == 1;
}

Text CurrentDirectory() { return u"/memory"; }

const FileOps MEMORY_FILE_OPS = {Open, Write, Read, Size, Close, Remove, CurrentDirectory};

}  // namespace

MemoryFiles::MemoryFiles() {
  std::lock_guard<std::mutex> hold(state.lock);
  state.files.clear();
  state.openHandles = 0;
  replaced_ = SetFileOps(MEMORY_FILE_OPS);
}

MemoryFiles::~MemoryFiles() {
  SetFileOps(replaced_);
  std::lock_guard<std::mutex> hold(state.lock);
  state.files.clear();
}

bool MemoryFiles::Exists(const Text& path) const {
  std::lock_guard<std::mutex> hold(state.lock);
  return state.files.count(path) == 1;
}

std::string MemoryFiles::Content(const Text& path) const {
  std::lock_guard<std::mutex> hold(state.lock);
  auto found = state.files.find(path);
  return found == state.files.end() ? std::string() : *found->second;
}

void MemoryFiles::Put(const Text& path, const std::string& content) {
  std::lock_guard<std::mutex> hold(state.lock);
  state.files[path] = std::make_shared<std::string>(content);
}

std::vector<Text> MemoryFiles::Names() const {
  std::lock_guard<std::mutex> hold(state.lock);
  std::vector<Text> names;
  for (const auto& entry : state.files) names.push_back(entry.first);
  return names;
}

int MemoryFiles::OpenHandles() const { return state.openHandles; }

}  // namespace qm
