// Ten consecutive runs of the console edition in one folder, in one
// process: afterwards the folder must hold the last cycle's 512 test files
// and the reports with their validation files, nothing else; and across the
// 100 cycles no file descriptor, thread, semaphore or file handle may be
// left behind. Prints what it measured; exit status 1 when a check fails.
//
//   qm_reliability_check [runs]      (default 10)
//
// To keep it quick the pauses of 100 ms and more (countdown steps, the
// pauses after START, the drive check's and the startup's) last 1 ms: the
// clock table in force shortens them. The pauses inside a cycle (1, 2 and
// 4 ms) stay as they are, so the cycles themselves are real.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "console/console_view.h"
#include "console/drive_lines.h"
#include "console/save_report.h"
#include "console/system_info.h"
#include "drives/linux_drive_under_test.h"
#include "drives/linux_drives.h"
#include "engine/drive_check.h"
#include "engine/pause.h"
#include "engine/test_files.h"
#include "engine/test_run.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/threads.h"

namespace {

namespace fs = std::filesystem;

constexpr uint32_t SHORTENED_FROM_MS = 100;
constexpr char FOLDER[] = "qm_reliability";

// Handles given out and given back through the tables, counted.
std::atomic<long> threadsStarted, threadsClosed, semaphoresCreated, semaphoresClosed, filesOpened,
    filesClosed;
qm::ClockOps nativeClock;
qm::ThreadOps nativeThreads;
qm::FileOps nativeFiles;

void ShortSleep(uint32_t ms) { nativeClock.sleep(ms >= SHORTENED_FROM_MS ? 1 : ms); }

qm::ThreadHandle CountedStart(qm::ThreadProc proc, void* argument, size_t stackSize) {
  qm::ThreadHandle thread = nativeThreads.start(proc, argument, stackSize);
  if (thread != nullptr) ++threadsStarted;
  return thread;
}
void CountedClose(qm::ThreadHandle thread) {
  if (thread != nullptr) ++threadsClosed;
  nativeThreads.close(thread);
}
qm::SemaphoreHandle CountedSemaphore(int32_t initial, int32_t maximum) {
  qm::SemaphoreHandle semaphore = nativeThreads.createSemaphore(initial, maximum);
  if (semaphore != nullptr) ++semaphoresCreated;
  return semaphore;
}
void CountedCloseSemaphore(qm::SemaphoreHandle semaphore) {
  if (semaphore != nullptr) ++semaphoresClosed;
  nativeThreads.closeSemaphore(semaphore);
}
qm::FileHandle CountedOpen(const qm::Text& path, qm::OpenMode mode) {
  qm::FileHandle file = nativeFiles.open(path, mode);
  if (file != nullptr) ++filesOpened;
  return file;
}
void CountedFileClose(qm::FileHandle file) {
  if (file != nullptr) ++filesClosed;
  nativeFiles.close(file);
}

long Entries(const char* folder) {
  long count = 0;
  for ([[maybe_unused]] const fs::directory_entry& entry : fs::directory_iterator(folder)) ++count;
  return count;
}

long ResidentKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
  }
  return 0;
}

struct Sample {
  long descriptors, threads, residentKiB;
};

Sample Now() { return {Entries("/proc/self/fd"), Entries("/proc/self/task"), ResidentKiB()}; }

// One start of the console edition, as its main runs it, the output going
// to sink. False when the drive check or a cycle failed.
bool ConsoleRun(std::FILE* sink) {
  qm::ConsoleScreen screen = qm::StartConsoleScreen(sink);
  const qm::RunView view = qm::ConsoleRunView(screen);
  qm::DeleteTestFiles();
  qm::Pause(256);
  const std::vector<qm::Text> systemInfoLines = qm::PrintSystemInfo(sink);
  const qm::Text driveList = qm::ListLinuxDrives();
  std::fputs(qm::DriveListLines(driveList).c_str(), sink);
  if (!qm::CheckDriveWritable(view)) return false;
  qm::RunResults results;
  qm::TestRun(view, results);
  if (screen.programEnded) return false;
  return !qm::SaveConsoleReport(results, {systemInfoLines, qm::DriveUnderTestMountPoint(), driveList}, sink)
              .empty();
}

bool IsTestFileName(const std::string& name) {
  for (int writer = 1; writer <= qm::WRITERS; ++writer) {
    for (int index = 0; index < qm::FILES_PER_WRITER; ++index) {
      if (qm::Utf8(qm::TestFileName(writer, index)) == name) return true;
    }
  }
  return false;
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::atoi(argv[1]) : 10;
  if (runs < 1 || argc > 2) {
    std::fprintf(stderr, "usage: qm_reliability_check [runs]\n");
    return 64;
  }
  std::printf("pauses of %u ms and more shortened to 1 ms; pauses within a cycle unchanged\n",
              SHORTENED_FROM_MS);

  nativeClock = qm::Clock();
  qm::ClockOps clock = nativeClock;
  clock.sleep = ShortSleep;
  qm::SetClockOps(clock);
  nativeThreads = qm::Threads();
  qm::ThreadOps threads = nativeThreads;
  threads.start = CountedStart;
  threads.close = CountedClose;
  threads.createSemaphore = CountedSemaphore;
  threads.closeSemaphore = CountedCloseSemaphore;
  qm::SetThreadOps(threads);
  nativeFiles = qm::Files();
  qm::FileOps files = nativeFiles;
  files.open = CountedOpen;
  files.close = CountedFileClose;
  qm::SetFileOps(files);

  fs::remove_all(FOLDER);
  fs::create_directory(FOLDER);
  fs::current_path(FOLDER);
  std::FILE* sink = std::fopen("/dev/null", "w");
  if (sink == nullptr) return 1;

  bool ok = true;
  const Sample before = Now();
  std::printf("before:      %3ld descriptors, %2ld threads, %6ld KiB resident\n", before.descriptors,
              before.threads, before.residentKiB);
  Sample afterFirst{};
  for (int run = 1; run <= runs; ++run) {
    if (!ConsoleRun(sink)) {
      std::printf("run %d failed\n", run);
      ok = false;
      break;
    }
    const Sample after = Now();
    if (run == 1) afterFirst = after;
    std::printf(
        "after run %2d: %3ld descriptors, %2ld threads, %6ld KiB resident; handles open: %ld threads, %ld "
        "semaphores, %ld files\n",
        run, after.descriptors, after.threads, after.residentKiB, threadsStarted - threadsClosed,
        semaphoresCreated - semaphoresClosed, filesOpened - filesClosed);
  }
  const Sample after = Now();
  std::fclose(sink);

  std::printf(
      "%d cycles: %ld threads started and %ld closed, %ld semaphores created and %ld closed, %ld files "
      "opened and %ld closed\n",
      runs * qm::CYCLES_PER_RUN, threadsStarted.load(), threadsClosed.load(), semaphoresCreated.load(),
      semaphoresClosed.load(), filesOpened.load(), filesClosed.load());
  std::printf(
      "leaks: %ld descriptors, %ld threads since the start; %ld descriptors, %ld threads since run 1\n",
      after.descriptors - before.descriptors, after.threads - before.threads,
      after.descriptors - afterFirst.descriptors, after.threads - afterFirst.threads);
  if (after.descriptors != before.descriptors || after.threads != before.threads ||
      threadsStarted != threadsClosed || semaphoresCreated != semaphoresClosed ||
      filesOpened != filesClosed) {
    ok = false;
  }

  long testFiles = 0, wrongSize = 0, reports = 0, verifies = 0;
  std::vector<std::string> others;
  for (const fs::directory_entry& entry : fs::directory_iterator(".")) {
    const std::string name = entry.path().filename().string();
    if (IsTestFileName(name)) {
      ++testFiles;
      if (entry.file_size() != qm::TEST_FILE_BYTES) ++wrongSize;
    } else if (name.rfind("info_", 0) == 0 && EndsWith(name, ".txt")) {
      ++reports;
    } else if (name.rfind("info_", 0) == 0 && EndsWith(name, ".txt.verify")) {
      ++verifies;
    } else {
      others.push_back(name);
    }
  }
  std::printf(
      "folder: %ld test files (%ld not 4096 bytes), %ld reports, %ld validation files, %zu other files\n",
      testFiles, wrongSize, reports, verifies, others.size());
  for (const std::string& name : others) std::printf("  unexpected: %s\n", name.c_str());
  if (testFiles != int64_t{qm::WRITERS} * qm::FILES_PER_WRITER || wrongSize != 0 || reports < 1 ||
      verifies != reports || !others.empty()) {
    ok = false;
  }

  fs::current_path("..");
  fs::remove_all(FOLDER);
  std::printf("%s\n", ok ? "reliability: passed" : "reliability: FAILED");
  return ok ? 0 : 1;
}
