// Threads and semaphores, as a table of functions (see files.h).
#pragma once

#include <cstddef>
#include <cstdint>

namespace qm {

using ThreadHandle = struct ThreadObject*;
using SemaphoreHandle = struct SemaphoreObject*;
using ThreadProc = uint32_t (*)(void* argument);

struct ThreadOps {
  // Starts proc(argument) on a new thread with (at least) the requested
  // stack size; the system may round it up. Returns nullptr on failure.
  ThreadHandle (*start)(ThreadProc proc, void* argument, size_t stackSize);

  // Waits without limit until the thread has ended. Waiting again on an
  // ended thread returns at once.
  void (*wait)(ThreadHandle thread);

  // Releases the handle of an ended (waited-for) thread. nullptr is ignored.
  void (*close)(ThreadHandle thread);

  // An unnamed semaphore. Returns nullptr on failure.
  SemaphoreHandle (*createSemaphore)(int32_t initialCount, int32_t maximumCount);

  // Adds one to the count. Returns false on failure (nullptr, at maximum).
  bool (*releaseSemaphore)(SemaphoreHandle semaphore);

  // nullptr is ignored.
  void (*closeSemaphore)(SemaphoreHandle semaphore);

  // The calling thread's id as the system numbers it.
  uint32_t (*currentThreadId)();
};

const ThreadOps& Threads();
const ThreadOps& NativeThreadOps();
ThreadOps SetThreadOps(const ThreadOps& ops);

}  // namespace qm
