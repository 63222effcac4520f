#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>

#include "bench/floor_cycle.h"
#include "engine/pause.h"

namespace qm {
namespace {

constexpr int WRITERS = 16;
constexpr int FILES = 32;
constexpr int BYTES = 4096;

void* FloorWriter(void* argument) {
  const int t = static_cast<int>(reinterpret_cast<intptr_t>(argument));
  const unsigned char byte = '!';
  char name[32];
  for (int i = 0; i < FILES; ++i) {
    std::snprintf(name, sizeof name, "file_%d_%d.qkw", t, i);
    const int fd = ::open(name, O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd >= 0) {
      for (int n = 0; n < BYTES; ++n) {
        if (::write(fd, &byte, 1) < 0) break;
      }
      ::close(fd);
    }
    Pause(1);
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
    Pause(4);
  }
  for (int t = 0; t < WRITERS; ++t) {
    if (started[t]) pthread_join(threads[t], nullptr);
  }
  char name[32];
  for (int t = 5; t <= WRITERS; ++t) {
    std::snprintf(name, sizeof name, "file_%d_31.qkw", t);
    const int fd = ::open(name, O_RDONLY | O_CLOEXEC);
    Pause(4);
    if (fd >= 0) {
      struct stat info;
      ::fstat(fd, &info);
      ::close(fd);
    }
  }
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace qm
