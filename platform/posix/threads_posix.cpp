// Threads and semaphores on POSIX systems: pthreads, and a counting
// semaphore that is only ever signalled (nobody in the program waits on it).
#include <pthread.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <climits>

#include "platform/threads.h"

namespace qm {

struct ThreadObject {
  pthread_t thread;
  ThreadProc proc;
  void* argument;
  bool joined = false;
};

struct SemaphoreObject {
  std::atomic<int32_t> count;
  int32_t maximum;
};

namespace {

// Writers need little stack, but glibc refuses less than PTHREAD_STACK_MIN
// and the system rounds up the request on Windows too.
constexpr size_t SMALLEST_STACK = size_t{64} * 1024;

void* Trampoline(void* parameter) {
  auto* object = static_cast<ThreadObject*>(parameter);
  object->proc(object->argument);
  return nullptr;
}

ThreadHandle Start(ThreadProc proc, void* argument, size_t stackSize) {
  auto* object = new ThreadObject{{}, proc, argument};
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setstacksize(&attributes, std::max({stackSize, SMALLEST_STACK, size_t(PTHREAD_STACK_MIN)}));
  int failed = pthread_create(&object->thread, &attributes, Trampoline, object);
  pthread_attr_destroy(&attributes);
  if (failed) {
    delete object;
    return nullptr;
  }
  return object;
}

void Wait(ThreadHandle thread) {
  if (thread == nullptr || thread->joined) return;
  pthread_join(thread->thread, nullptr);
  thread->joined = true;
}

void Close(ThreadHandle thread) {
  if (thread == nullptr) return;
  if (!thread->joined) pthread_detach(thread->thread);
  delete thread;
}

SemaphoreHandle CreateSemaphoreObject(int32_t initialCount, int32_t maximumCount) {
  if (initialCount < 0 || maximumCount <= 0 || initialCount > maximumCount) return nullptr;
  return new SemaphoreObject{initialCount, maximumCount};
}

bool Release(SemaphoreHandle semaphore) {
  if (semaphore == nullptr) return false;
  int32_t count = semaphore->count.load();
  do {
    if (count >= semaphore->maximum) return false;
  } while (!semaphore->count.compare_exchange_weak(count, count + 1));
  return true;
}

void CloseSemaphoreObject(SemaphoreHandle semaphore) { delete semaphore; }

uint32_t CurrentThreadId() { return static_cast<uint32_t>(gettid()); }

const ThreadOps POSIX_THREAD_OPS = {
    Start, Wait, Close, CreateSemaphoreObject, Release, CloseSemaphoreObject, CurrentThreadId};

}  // namespace

const ThreadOps& NativeThreadOps() { return POSIX_THREAD_OPS; }

}  // namespace qm
