// The backend of this build, on real files and threads in a fresh folder.
#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "platform/clock.h"
#include "platform/files.h"
#include "platform/threads.h"

namespace qm {
namespace {

TEST(FilesBackend, CreateWriteSizeReadRemove) {
  const Text name = u"qm_backend_test_\u00e4.bin";
  FileHandle file = Files().open(name, OpenMode::CreateAlwaysReadWrite);
  ASSERT_NE(file, nullptr);
  EXPECT_TRUE(Files().write(file, "abc", 3));
  uint64_t size = 0;
  EXPECT_TRUE(Files().size(file, &size));
  EXPECT_EQ(size, 3u);
  Files().close(file);

  // CREATE_ALWAYS truncates an existing file.
  file = Files().open(name, OpenMode::CreateAlwaysReadWrite);
  ASSERT_NE(file, nullptr);
  EXPECT_TRUE(Files().size(file, &size));
  EXPECT_EQ(size, 0u);
  EXPECT_TRUE(Files().write(file, "xy", 2));
  Files().close(file);

  file = Files().open(name, OpenMode::OpenExistingRead);
  ASSERT_NE(file, nullptr);
  char buffer[8] = {};
  uint32_t done = 0;
  EXPECT_TRUE(Files().read(file, buffer, sizeof buffer, &done));
  EXPECT_EQ(std::string(buffer, done), "xy");
  Files().close(file);

  EXPECT_TRUE(Files().remove(name));
  EXPECT_FALSE(Files().remove(name));
  EXPECT_EQ(Files().open(name, OpenMode::OpenExistingReadExclusive), nullptr);
  EXPECT_EQ(Files().open(name, OpenMode::TruncateExistingWrite), nullptr);
  EXPECT_FALSE(Files().currentDirectory().empty());
}

std::atomic<int> ran{0};

uint32_t CountRun(void* argument) {
  ran += *static_cast<int*>(argument);
  return 0;
}

TEST(ThreadsBackend, StartWaitTwiceAndSemaphoreLimit) {
  int step = 5;
  ThreadHandle thread = Threads().start(CountRun, &step, 4096);
  ASSERT_NE(thread, nullptr);
  Threads().wait(thread);
  Threads().wait(thread);  // an ended thread counts as ended again
  Threads().close(thread);
  EXPECT_EQ(ran.load(), 5);

  SemaphoreHandle semaphore = Threads().createSemaphore(0, 1);
  ASSERT_NE(semaphore, nullptr);
  EXPECT_TRUE(Threads().releaseSemaphore(semaphore));
  EXPECT_FALSE(Threads().releaseSemaphore(semaphore));  // at its maximum
  Threads().closeSemaphore(semaphore);
  EXPECT_FALSE(Threads().releaseSemaphore(nullptr));
}

TEST(ClockBackend, CounterAdvancesAcrossASleep) {
  int64_t frequency = 0;
  ASSERT_TRUE(Clock().performanceFrequency(&frequency));
  Clock().beginTimerPeriod(1);
  int64_t before = Clock().performanceCounter();
  Clock().sleep(20);
  int64_t elapsedMs = (Clock().performanceCounter() - before) / (frequency / 1000);
  EXPECT_GE(elapsedMs, 19);
  LocalTime now = Clock().localTime();
  EXPECT_GE(now.year, 2024);
  EXPECT_TRUE(now.month >= 1 && now.month <= 12);
}

}  // namespace
}  // namespace qm
