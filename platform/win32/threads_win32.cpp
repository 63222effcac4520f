// Threads and semaphores on Windows: CreateThread and kernel semaphores.
#include "platform/threads.h"
#include "platform/win32/wide.h"

namespace qm {
namespace {

HANDLE Native(void* object) { return reinterpret_cast<HANDLE>(object); }

// The procedure type of CreateThread differs from ours only in its calling
// convention and return width, so each thread starts through this shim.
struct StartRecord {
  ThreadProc proc;
  void* argument;
};

DWORD WINAPI ThreadShim(LPVOID parameter) {
  StartRecord record = *static_cast<StartRecord*>(parameter);
  delete static_cast<StartRecord*>(parameter);
  return record.proc(record.argument);
}

ThreadHandle Start(ThreadProc proc, void* argument, size_t stackSize) {
  auto* record = new StartRecord{proc, argument};
  HANDLE handle = CreateThread(nullptr, stackSize, ThreadShim, record, 0, nullptr);
  if (handle == nullptr) {
    delete record;
    return nullptr;
  }
  return reinterpret_cast<ThreadHandle>(handle);
}

void Wait(ThreadHandle thread) {
  if (thread != nullptr) WaitForSingleObject(Native(thread), INFINITE);
}

void Close(ThreadHandle thread) {
  if (thread != nullptr) CloseHandle(Native(thread));
}

SemaphoreHandle CreateSemaphoreObject(int32_t initialCount, int32_t maximumCount) {
  return reinterpret_cast<SemaphoreHandle>(CreateSemaphoreW(nullptr, initialCount, maximumCount, nullptr));
}

bool Release(SemaphoreHandle semaphore) {
  return semaphore != nullptr && ReleaseSemaphore(Native(semaphore), 1, nullptr) != FALSE;
}

void CloseSemaphoreObject(SemaphoreHandle semaphore) {
  if (semaphore != nullptr) CloseHandle(Native(semaphore));
}

uint32_t CurrentThreadId() { return GetCurrentThreadId(); }

const ThreadOps WIN32_THREAD_OPS = {
    Start, Wait, Close, CreateSemaphoreObject, Release, CloseSemaphoreObject, CurrentThreadId};

}  // namespace

const ThreadOps& NativeThreadOps() { return WIN32_THREAD_OPS; }

}  // namespace qm
