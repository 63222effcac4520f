// What the Windows build might add to a cycle beyond the floor writer, each
// measured alone, in the current directory:
//   - a pause: Sleep(1) and Sleep(4) before and after timeBeginPeriod(1);
//   - a draw: RandomByte from the writer's own generator, beside the same
//     generator reached through thread_local (emulated by this compiler);
//   - a one-byte write: WriteFile called directly, and through the table of
//     file operations that the engine calls;
//   - the window: the threads of the process, the first pump after the
//     window is minimised, an empty pump of a minimised window, and engine
//     cycles beside floor cycles with such a window (minimised during each
//     cycle and pumped by the cycle) and without one.
//
//   qm_cycle_costs [pairs]      (default 11 pairs of cycles each way)
#include <windows.h>

#include <mmsystem.h>
#include <tlhelp32.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench/floor_cycle.h"
#include "bench/median.h"
#include "bench/processor_time.h"
#include "engine/random_byte.h"
#include "engine/run_cycle.h"
#include "engine/test_files.h"
#include "platform/files.h"

namespace {

constexpr int ROUNDS = 11;
constexpr int DRAWS = 2097152;  // one cycle's bytes
constexpr int WRITES = 262144;
constexpr int PUMPS = 1000;

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

int ThreadsOfThisProcess() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return -1;
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  int count = 0;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
  }
  CloseHandle(snapshot);
  return count;
}

void Pauses(const char* when) {
  for (DWORD ms : {1ul, 4ul}) {
    std::vector<double> lasted;
    for (int n = 0; n < 100; ++n) {
      const auto start = Clock::now();
      Sleep(ms);
      lasted.push_back(MsSince(start));
    }
    std::printf("pause %s: Sleep(%lu) lasts %.3f ms (median of 100)\n", when, ms, qm::Median(lasted));
  }
}

// The engine's generator as it was: reached through thread-local storage.
thread_local qm::RandomGenerator threadLocalGenerator;
__attribute__((noinline)) uint8_t ThreadLocalByte() { return qm::RandomByte(threadLocalGenerator); }

void Draws() {
  std::vector<double> own, threadLocal;
  qm::RandomGenerator generator;
  volatile uint8_t sink = 0;
  for (int round = 0; round < ROUNDS; ++round) {
    auto start = Clock::now();
    for (int n = 0; n < DRAWS; ++n) sink = qm::RandomByte(generator);
    own.push_back(MsSince(start));
    start = Clock::now();
    for (int n = 0; n < DRAWS; ++n) sink = ThreadLocalByte();
    threadLocal.push_back(MsSince(start));
  }
  (void)sink;
  std::printf("draws: %d from the writer's own generator %.2f ms, through thread_local %.2f ms\n", DRAWS,
              qm::Median(own), qm::Median(threadLocal));
}

void Writes() {
  const unsigned char byte = '!';
  const qm::FileOps& files = qm::Files();
  std::vector<double> direct, table;
  for (int round = 0; round < ROUNDS; ++round) {
    HANDLE file = CreateFileW(L"costs_direct.tmp", GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written;
    auto start = Clock::now();
    for (int n = 0; n < WRITES; ++n) WriteFile(file, &byte, 1, &written, nullptr);
    direct.push_back(MsSince(start));
    CloseHandle(file);

    qm::FileHandle handle = files.open(u"costs_table.tmp", qm::OpenMode::CreateAlwaysReadWrite);
    start = Clock::now();
    for (int n = 0; n < WRITES; ++n) files.write(handle, &byte, 1);
    table.push_back(MsSince(start));
    files.close(handle);
  }
  DeleteFileW(L"costs_direct.tmp");
  DeleteFileW(L"costs_table.tmp");
  std::printf(
      "writes: %d one-byte writes, WriteFile directly %.1f ms (%.0f ns each), through the table %.1f ms "
      "(%.0f ns each)\n",
      WRITES, qm::Median(direct), qm::Median(direct) * 1e6 / WRITES, qm::Median(table),
      qm::Median(table) * 1e6 / WRITES);
}

void Pump() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

HWND ShownWindow() {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"QuillmarkCycleCosts";
  RegisterClassW(&windowClass);
  HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"cycle costs", WS_OVERLAPPEDWINDOW, 0, 0, 800,
                                600, nullptr, nullptr, windowClass.hInstance, nullptr);
  ShowWindow(window, SW_SHOWNORMAL);
  Pump();
  return window;
}

void Pumps(HWND window) {
  // What the first pump of a cycle finds: the events of the minimising,
  // 62 ms before the cycle began.
  std::vector<double> first;
  for (int round = 0; round < ROUNDS; ++round) {
    ShowWindow(window, SW_MINIMIZE);
    Sleep(62);
    const auto start = Clock::now();
    Pump();
    first.push_back(MsSince(start));
    ShowWindow(window, SW_SHOWNORMAL);
    Pump();
  }
  std::printf("pump: the first pump after minimising (and 62 ms) takes %.3f ms\n", qm::Median(first));
  ShowWindow(window, SW_MINIMIZE);
  Pump();
  std::vector<double> lasted;
  for (int round = 0; round < ROUNDS; ++round) {
    const auto start = Clock::now();
    for (int n = 0; n < PUMPS; ++n) Pump();
    lasted.push_back(MsSince(start) * 1000.0 / PUMPS);
  }
  ShowWindow(window, SW_SHOWNORMAL);
  Pump();
  std::printf("pump: an empty pump of the minimised window takes %.1f us; a cycle pumps 15 times\n",
              qm::Median(lasted));
}

// Engine and floor cycles alternated as in qm_cycle_bench; with a window,
// it is minimised (and 62 ms pass) before each cycle, the engine's cycle
// pumps it, and it is restored and pumped afterwards.
void Cycles(int pairs, HWND window) {
  std::vector<double> ratios, cpuRatios;
  for (int pair = 0; pair < pairs; ++pair) {
    double engine = 0, floor = 0, engineCpu = 0, floorCpu = 0;
    for (int turn = 0; turn < 2; ++turn) {
      qm::DeleteTestFiles();
      if (window) {
        ShowWindow(window, SW_MINIMIZE);
        Sleep(62);
      }
      const double cpuBefore = qm::ProcessorMs();
      if ((turn == 0) == (pair % 2 == 0)) {
        qm::RunView view;
        if (window) view.pumpEvents = Pump;
        qm::RunResults results;
        const auto start = Clock::now();
        qm::RunCycle(view, results);
        engine = MsSince(start);
        engineCpu = qm::ProcessorMs() - cpuBefore;
        qm::ReleaseCycleObjects();
      } else {
        floor = qm::FloorCycleMs();
        floorCpu = qm::ProcessorMs() - cpuBefore;
      }
      if (window) {
        ShowWindow(window, SW_SHOWNORMAL);
        Pump();
      }
    }
    ratios.push_back(engine / floor);
    cpuRatios.push_back(engineCpu / floorCpu);
  }
  qm::DeleteTestFiles();
  std::printf("cycles %s: median of %d pair ratios engine / floor %.3f, processor time %.3f\n",
              window ? "with a minimised window" : "without a window", pairs, qm::Median(ratios),
              qm::Median(cpuRatios));
}

}  // namespace

int main(int argc, char** argv) {
  const int pairs = argc > 1 ? std::atoi(argv[1]) : 11;
  if (pairs < 1 || argc > 2) {
    std::fprintf(stderr, "usage: qm_cycle_costs [pairs]\n");
    return 64;
  }
  std::printf("threads: %d at start\n", ThreadsOfThisProcess());
  Pauses("before timeBeginPeriod(1)");
  timeBeginPeriod(1);
  Pauses("after timeBeginPeriod(1)");
  Draws();
  Writes();
  HWND window = ShownWindow();
  std::printf("threads: %d with a window\n", ThreadsOfThisProcess());
  Pumps(window);
  // Without, with, without: drift of the machine shows as a difference
  // between the first and the last.
  Cycles(pairs, nullptr);
  Cycles(pairs, window);
  Cycles(pairs, nullptr);
  return 0;
}
