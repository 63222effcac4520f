#include "tests/support/fault_files.h"

#include <array>
#include <atomic>
#include <mutex>

namespace qm {
namespace {

constexpr size_t OPERATIONS = static_cast<size_t>(FileOperation::COUNT);

struct Fault {
  int remaining = 0;  // calls until the failing one; 0 = no fault armed
  bool persistent = false;
  bool failing = false;  // a persistent fault that has fired
  Text path;
};

// One wrapper is in force at a time; its state lives here so that the
// plain function pointers of the table can reach it.
struct FaultState {
  FileOps below{};
  std::mutex lock;  // guards faults
  std::array<Fault, OPERATIONS> faults;
  std::array<std::atomic<int>, OPERATIONS> calls{};
  std::array<std::atomic<int>, OPERATIONS> failures{};
  std::atomic<bool> armed{false};  // any fault set: lets healthy calls skip the lock
};

FaultState state;

size_t Index(FileOperation operation) { return static_cast<size_t>(operation); }

// Counts the call and says whether it must fail.
bool Fails(FileOperation operation, const Text* path = nullptr) {
  const size_t index = Index(operation);
  state.calls[index]++;
  if (!state.armed.load(std::memory_order_acquire)) return false;
  std::lock_guard<std::mutex> hold(state.lock);
  Fault& fault = state.faults[index];
  if (!fault.path.empty() && (path == nullptr || *path != fault.path)) return false;
  bool fail = false;
  if (fault.failing) {
    fail = true;
  } else if (fault.remaining > 0 && --fault.remaining == 0) {
    fail = true;
    fault.failing = fault.persistent;
  }
  if (fail) state.failures[index]++;
  return fail;
}

FileHandle Open(const Text& path, OpenMode mode) {
  return Fails(FileOperation::Open, &path) ? nullptr : state.below.open(path, mode);
}

bool Write(FileHandle file, const void* data, uint32_t size) {
  return Fails(FileOperation::Write) ? false : state.below.write(file, data, size);
}

bool Read(FileHandle file, void* data, uint32_t size, uint32_t* done) {
  if (Fails(FileOperation::Read)) {
    *done = 0;
    return false;
  }
  return state.below.read(file, data, size, done);
}

bool Size(FileHandle file, uint64_t* bytes) {
  return Fails(FileOperation::Size) ? false : state.below.size(file, bytes);
}

// A failed close still releases the handle below, so no file stays open.
void Close(FileHandle file) {
  Fails(FileOperation::Close);
  state.below.close(file);
}

bool Remove(const Text& path) {
  return Fails(FileOperation::Remove, &path) ? false : state.below.remove(path);
}

Text CurrentDirectory() {
  return Fails(FileOperation::CurrentDirectory) ? Text() : state.below.currentDirectory();
}

const FileOps FAULTY_FILE_OPS = {Open, Write, Read, Size, Close, Remove, CurrentDirectory};

}  // namespace

FaultyFiles::FaultyFiles() {
  Heal();
  for (auto& count : state.calls) count = 0;
  for (auto& count : state.failures) count = 0;
  state.below = Files();
  wrapped_ = SetFileOps(FAULTY_FILE_OPS);
}

FaultyFiles::~FaultyFiles() {
  SetFileOps(wrapped_);
  Heal();
}

void FaultyFiles::Fail(FileOperation operation, int nth, FaultKind kind, const Text& path) {
  std::lock_guard<std::mutex> hold(state.lock);
  state.faults[Index(operation)] = Fault{nth, kind == FaultKind::Persistent, false, path};
  state.armed = true;
}

void FaultyFiles::Heal() {
  std::lock_guard<std::mutex> hold(state.lock);
  state.faults.fill(Fault{});
  state.armed = false;
}

int FaultyFiles::Calls(FileOperation operation) const { return state.calls[Index(operation)]; }

int FaultyFiles::Failures(FileOperation operation) const { return state.failures[Index(operation)]; }

}  // namespace qm
