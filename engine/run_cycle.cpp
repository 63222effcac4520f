#include "engine/run_cycle.h"

#include <array>
#include <cstdint>

#include "engine/pause.h"
#include "engine/random_byte.h"
#include "engine/test_files.h"
#include "platform/files.h"
#include "platform/threads.h"

namespace qm {
namespace {

constexpr size_t WRITER_STACK_BYTES = 4096;
constexpr int32_t SEMAPHORE_MAXIMUM = 2147483647;

// What one writer owns besides its locals: its semaphore, its thread and
// its done flag. Each on its own cache line, since sixteen threads store
// into them.
struct alignas(64) WriterSlot {
  SemaphoreHandle semaphore = nullptr;
  ThreadHandle thread = nullptr;
  int64_t done = 0;
};

// The kernel objects and flags of the cycle in progress. Only the thread
// that runs RunCycle touches them while no writer runs; writer t touches
// only its slot, and the waiting thread reads the done flags only after it
// has waited for every writer to end.
struct CycleObjects {
  std::array<WriterSlot, WRITERS> writers;
  int64_t allEnded = 0;
};

CycleObjects cycle;

// What each writer's thread is given: its number.
int writerNumbers[WRITERS] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};

WriterSlot& Slot(int writer) { return cycle.writers[writer - 1]; }

void Pump(const RunView& view) {
  if (view.pumpEvents) view.pumpEvents();
}

void ClearFlags() {
  for (WriterSlot& slot : cycle.writers) slot.done = 0;
  cycle.allEnded = 0;
}

bool AllWritersDone() {
  for (const WriterSlot& slot : cycle.writers) {
    if (slot.done != 1) return false;
  }
  return true;
}

// Waits for every writer's thread; a pass cannot change a done flag once
// all threads have ended, so the passes are few. False when the bound is
// reached without every writer having signalled.
bool WaitForWriters(const RunView& view) {
  for (int pass = 1; pass <= WRITER_WAIT_PASSES; ++pass) {
    for (WriterSlot& slot : cycle.writers) Threads().wait(slot.thread);  // nullptr: never started
    cycle.allEnded = 1;
    Pump(view);
    if (cycle.allEnded == 1 && AllWritersDone()) return true;
  }
  return false;
}

}  // namespace

uint32_t WriterThread(void* writer) {
  const int t = *static_cast<const int*>(writer);
  const FileOps& files = Files();
  RandomGenerator generator;  // the writer's own, on its own stack
  for (int index = 0; index < FILES_PER_WRITER; ++index) {
    FileHandle file = OpenTestFile(TestFileName(t, index));
    if (file != nullptr) {
      // The load being measured: each byte drawn right before its own
      // one-byte write; nothing prepared ahead, nothing merged.
      for (int count = 0; count < TEST_FILE_BYTES; ++count) {
        const uint8_t byte = RandomByte(generator);
        files.write(file, &byte, 1);
      }
      files.close(file);
    }
    Pause(AFTER_FILE_PAUSE_MS);
  }
  Slot(t).done = Threads().releaseSemaphore(Slot(t).semaphore) ? 1 : 0;
  return 0;
}

void RunCycle(const RunView& view, RunResults& results) {
  const ThreadOps& threads = Threads();
  for (WriterSlot& slot : cycle.writers) slot.semaphore = threads.createSemaphore(0, SEMAPHORE_MAXIMUM);
  for (int t = 1; t <= WRITERS; ++t) {
    Slot(t).thread = threads.start(WriterThread, &writerNumbers[t - 1], WRITER_STACK_BYTES);
    Pause(WRITER_START_PAUSE_MS);
  }
  Pump(view);

  const bool writersDone = WaitForWriters(view);
  for (WriterSlot& slot : cycle.writers) {
    threads.close(slot.thread);
    slot.thread = nullptr;
  }
  if (!writersDone) results.fileSizeError = 1;

  ClearFlags();
  Pump(view);
  // A cycle whose writers did not all finish has failed already; its last
  // files would only cost open retries.
  if (writersDone) CheckLastFiles(view, results);
}

void CheckLastFiles(const RunView& view, RunResults& results) {
  const FileOps& files = Files();
  for (int t = FIRST_CHECKED_WRITER; t <= WRITERS; ++t) {
    const Text name = TestFileName(t, FILES_PER_WRITER - 1);
    FileHandle file = nullptr;
    // Something else (a virus scanner, an indexer) may hold a file just
    // written for a moment; a file that stays unopenable fails the cycle.
    for (int attempt = 1; attempt <= LAST_FILE_OPEN_ATTEMPTS; ++attempt) {
      file = files.open(name, OpenMode::OpenExistingReadExclusive);
      Pause(LAST_FILE_OPEN_PAUSE_MS);
      if (file != nullptr) break;
    }
    if (file == nullptr) {
      results.fileSizeError = 1;
      Pump(view);
      continue;
    }
    uint64_t bytes = 0;
    if (!files.size(file, &bytes) || bytes != TEST_FILE_BYTES) results.fileSizeError = 1;
    Pump(view);
    files.close(file);
  }
}

void ReleaseCycleObjects() {
  for (WriterSlot& slot : cycle.writers) {
    Threads().closeSemaphore(slot.semaphore);
    slot.semaphore = nullptr;
  }
  ClearFlags();
}

}  // namespace qm
