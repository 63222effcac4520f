#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>

#include "bench/floor_cycle.h"
#include "engine/pause.h"
#include "engine/run_cycle.h"
#include "engine/test_files.h"

namespace qm {
namespace {

void* FloorWriter(void* argument) {
  const int t = static_cast<int>(reinterpret_cast<intptr_t>(argument));
  const unsigned char byte = '!';
  char name[32];
  for (int i = 0; i < FILES_PER_WRITER; ++i) {
    std::snprintf(name, sizeof name, "file_%d_%d.qkw", t, i);
    const int fd = ::open(name, O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd >= 0) {
      for (int n = 0; n < TEST_FILE_BYTES; ++n) {
        if (::write(fd, &byte, 1) < 0) break;
      }
      ::close(fd);
    }
    Pause(AFTER_FILE_PAUSE_MS);
  }
  return nullptr;
}

}  // namespace

double FloorCycleMs() {
  const auto start = std::chrono::steady_clock::now();
  pthread_t threads[WRITERS];
  bool started[WRITERS] = {};
  for (int t = 1; t <= WRITERS; ++t) {
    started[t - 1] = pthread_create(&threads[t - 1], nullptr, FloorWriter,
                                    reinterpret_cast<void*>(static_cast<intptr_t>(t))) == 0;
    Pause(WRITER_START_PAUSE_MS);
  }
  for (int t = 0; t < WRITERS; ++t) {
    if (started[t]) pthread_join(threads[t], nullptr);
  }
  char name[32];
  for (int t = FIRST_CHECKED_WRITER; t <= WRITERS; ++t) {
    std::snprintf(name, sizeof name, "file_%d_31.qkw", t);
    const int fd = ::open(name, O_RDONLY | O_CLOEXEC);
    Pause(LAST_FILE_OPEN_PAUSE_MS);
    if (fd >= 0) {
      struct stat info;
      ::fstat(fd, &info);
      ::close(fd);
    }
  }
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace qm
