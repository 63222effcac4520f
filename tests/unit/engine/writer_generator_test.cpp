// Each writer draws its bytes from a generator of its own: writers started
// at the same moment write different bytes, and what one writer writes does
// not depend on what the others draw meanwhile.
#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <string>
#include <vector>

#include "engine/random_byte.h"
#include "engine/run_cycle.h"
#include "engine/test_files.h"
#include "platform/clock.h"
#include "platform/threads.h"
#include "tests/support/instant_clock.h"
#include "tests/support/memory_files.h"
#include "tests/support/recording_view.h"

namespace qm {
namespace {

// The two things a generator starts from, held still: the tick count, and
// (when sameThreadId) the id every thread reports. The instant clock below
// keeps the pauses short.
struct FixedStartingState {
  static inline std::atomic<uint32_t> threadId{0};
  ThreadOps threadsReplaced;
  ClockOps clockReplaced;

  explicit FixedStartingState(bool sameThreadId) {
    ThreadOps threads = Threads();
    if (sameThreadId) threads.currentThreadId = [] { return threadId.load(); };
    threadsReplaced = SetThreadOps(threads);
    ClockOps clock = Clock();
    clock.tickCount = [] { return uint32_t{123456}; };
    clockReplaced = SetClockOps(clock);
  }
  ~FixedStartingState() {
    SetClockOps(clockReplaced);
    SetThreadOps(threadsReplaced);
  }
};

std::string Draws(RandomGenerator& generator, int count) {
  std::string bytes;
  for (int n = 0; n < count; ++n) bytes += static_cast<char>(RandomByte(generator));
  return bytes;
}

TEST(EngineRandomByte, GeneratorsOfTwoThreadsDifferAndDoNotDisturbEachOther) {
  FixedStartingState still(true);
  auto started = [](uint32_t id) {
    FixedStartingState::threadId = id;
    RandomGenerator generator;
    RandomByte(generator);  // the first draw starts it, from the id in force
    return generator;
  };
  RandomGenerator first = started(7), second = started(8);
  const std::string firstAlone = Draws(first, 4096), secondAlone = Draws(second, 4096);
  EXPECT_NE(firstAlone, secondAlone);

  // The same two, drawing in turns.
  first = started(7);
  second = started(8);
  std::string firstInTurns, secondInTurns;
  for (int n = 0; n < 4096; ++n) {
    firstInTurns += static_cast<char>(RandomByte(first));
    secondInTurns += static_cast<char>(RandomByte(second));
  }
  EXPECT_EQ(firstInTurns, firstAlone);
  EXPECT_EQ(secondInTurns, secondAlone);
}

TEST(EngineWriterGenerator, WritersStartedAtTheSameTickWriteDifferentFiles) {
  InstantClock clock;
  FixedStartingState still(false);  // each thread keeps its own id
  MemoryFiles memory;
  RecordingView view;
  RunResults results;
  RunCycle(view.View(), results);
  ReleaseCycleObjects();
  std::set<std::string> contents;
  for (int t = 1; t <= WRITERS; ++t) {
    for (int i = 0; i < FILES_PER_WRITER; ++i) contents.insert(memory.Content(TestFileName(t, i)));
  }
  EXPECT_EQ(contents.size(), 512u);
}

TEST(EngineWriterGenerator, AWritersFilesAreTheSameAloneAndBesideFifteenOthers) {
  InstantClock clock;
  FixedStartingState still(true);  // every writer starts from the same state
  MemoryFiles memory;
  int one = 1;
  WriterThread(&one);
  std::vector<std::string> alone;
  for (int i = 0; i < FILES_PER_WRITER; ++i) alone.push_back(memory.Content(TestFileName(1, i)));
  EXPECT_EQ(alone[0].size(), 4096u);
  EXPECT_NE(alone[0], alone[1]);

  RecordingView view;
  RunResults results;
  RunCycle(view.View(), results);
  ReleaseCycleObjects();
  for (int t = 1; t <= WRITERS; ++t) {
    for (int i = 0; i < FILES_PER_WRITER; ++i) {
      ASSERT_EQ(memory.Content(TestFileName(t, i)), alone[i]) << "writer " << t << ", file " << i;
    }
  }
}

}  // namespace
}  // namespace qm
