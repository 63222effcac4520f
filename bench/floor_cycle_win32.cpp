#include <windows.h>

#include <mmsystem.h>

#include <chrono>
#include <cstdio>
#include <cwchar>

#include "bench/floor_cycle.h"
#include "engine/run_cycle.h"
#include "engine/test_files.h"

namespace qm {
namespace {

constexpr SIZE_T WRITER_STACK_BYTES = 4096;

DWORD WINAPI FloorWriter(LPVOID argument) {
  const int t = static_cast<int>(reinterpret_cast<INT_PTR>(argument));
  const unsigned char byte = '!';
  wchar_t name[32];
  for (int i = 0; i < FILES_PER_WRITER; ++i) {
    std::swprintf(name, sizeof name / sizeof name[0], L"file_%d_%d.qkw", t, i);
    HANDLE file = CreateFileW(name, GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      DWORD written;
      for (int n = 0; n < TEST_FILE_BYTES; ++n) {
        if (!WriteFile(file, &byte, 1, &written, nullptr)) break;
      }
      CloseHandle(file);
    }
    Sleep(AFTER_FILE_PAUSE_MS);
  }
  return 0;
}

}  // namespace

double FloorCycleMs() {
  // As the program does before its first pause; never undone.
  static const bool timerPeriodSet = timeBeginPeriod(1) == TIMERR_NOERROR;
  (void)timerPeriodSet;
  const auto start = std::chrono::steady_clock::now();
  HANDLE threads[WRITERS];
  for (int t = 1; t <= WRITERS; ++t) {
    threads[t - 1] = CreateThread(nullptr, WRITER_STACK_BYTES, FloorWriter,
                                  reinterpret_cast<LPVOID>(static_cast<INT_PTR>(t)), 0, nullptr);
    Sleep(WRITER_START_PAUSE_MS);
  }
  for (HANDLE thread : threads) {
    if (thread != nullptr) {
      WaitForSingleObject(thread, INFINITE);
      CloseHandle(thread);
    }
  }
  wchar_t name[32];
  for (int t = FIRST_CHECKED_WRITER; t <= WRITERS; ++t) {
    std::swprintf(name, sizeof name / sizeof name[0], L"file_%d_31.qkw", t);
    HANDLE file = CreateFileW(name, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    Sleep(LAST_FILE_OPEN_PAUSE_MS);
    if (file != INVALID_HANDLE_VALUE) {
      DWORD high;
      GetFileSize(file, &high);
      CloseHandle(file);
    }
  }
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace qm
