// Cycles, the drive check and the deletion on real files in a fresh folder.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>

#include "engine/drive_check.h"
#include "engine/run_cycle.h"
#include "engine/test_files.h"
#include "platform/threads.h"
#include "tests/support/counting_files.h"
#include "tests/support/fault_files.h"
#include "tests/support/instant_clock.h"
#include "tests/support/memory_files.h"
#include "tests/support/recording_view.h"
#include "tests/support/scratch_folder.h"

namespace qm {
namespace {

namespace fs = std::filesystem;

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Spill(const fs::path& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

std::set<std::string> FolderNames() {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(fs::current_path()))
    names.insert(entry.path().filename().string());
  return names;
}

std::set<std::string> CycleNames() {
  std::set<std::string> names;
  for (int t = 1; t <= 16; ++t) {
    for (int i = 0; i < 32; ++i) names.insert(Utf8(TestFileName(t, i)));
  }
  return names;
}

// Every file of the cycle is 4096 bytes of 33..126; returns how often each
// byte value occurred over all of them.
std::array<int64_t, 256> CheckCycleFiles() {
  std::array<int64_t, 256> counts{};
  EXPECT_EQ(FolderNames(), CycleNames());
  for (const std::string& name : CycleNames()) {
    const std::string content = Slurp(name);
    EXPECT_EQ(content.size(), 4096u) << name;
    for (unsigned char byte : content) counts[byte]++;
  }
  for (int value = 0; value < 256; ++value) {
    if (value < 33 || value > 126) {
      EXPECT_EQ(counts[value], 0) << value;
    }
  }
  return counts;
}

TEST(EngineCycle, WritesTheFiveHundredTwelveFilesAndReplacesThemNextTime) {
  EXPECT_EQ(TestFileName(7, 31), u"file_7_31.qkw");
  EXPECT_EQ(TestFileName(16, 0), u"file_16_0.qkw");

  ScratchFolder folder;
  RecordingView view;
  RunResults results;
  RunCycle(view.View(), results);
  ReleaseCycleObjects();
  EXPECT_EQ(results.fileSizeError, 0);
  EXPECT_EQ(view.Count("pumpEvents"), 15);  // writers started, wait, flags cleared, twelve last files
  const std::array<int64_t, 256> counts = CheckCycleFiles();

  // 2097152 draws over 94 values: each near 22310. A chi-square over 93
  // degrees of freedom beyond 200 happens by chance far less than once in
  // a billion runs; a biased or stuck generator lands far above it.
  const double expected = 2097152.0 / 94;
  double chiSquare = 0;
  for (int value = 33; value <= 126; ++value) {
    chiSquare += (counts[value] - expected) * (counts[value] - expected) / expected;
  }
  EXPECT_LT(chiSquare, 200.0);

  // Leftovers of another size and content are replaced.
  Spill("file_1_0.qkw", std::string(10000, '\0'));
  Spill("file_16_31.qkw", "x");
  RunCycle(view.View(), results);
  ReleaseCycleObjects();
  EXPECT_EQ(results.fileSizeError, 0);
  CheckCycleFiles();
}

// The measured load is the number of write calls: one byte per call, 4096
// calls per file, on the 512 test files and nothing else.
TEST(EngineCycle, WritesEveryByteWithACallOfItsOwn) {
  ScratchFolder folder;
  RecordingView view;
  RunResults results;
  std::map<uint32_t, int64_t> bySize;
  std::map<Text, int64_t> byFile;
  {
    CountingFiles counted;
    RunCycle(view.View(), results);
    ReleaseCycleObjects();
    bySize = counted.WritesBySize();
    byFile = counted.WritesByFile();
  }
  EXPECT_EQ(results.fileSizeError, 0);
  EXPECT_EQ(bySize, (std::map<uint32_t, int64_t>{{1u, 2097152}})) << "write calls by their size";
  std::map<Text, int64_t> expected;
  for (int writer = 1; writer <= WRITERS; ++writer) {
    for (int index = 0; index < FILES_PER_WRITER; ++index) expected[TestFileName(writer, index)] = 4096;
  }
  EXPECT_EQ(byFile.size(), 512u);
  EXPECT_TRUE(byFile == expected) << "write calls by file";
}

TEST(EngineCycle, MissingLastFileFailsTheCycleAfterTheBoundedRetries) {
  ScratchFolder folder;
  FaultyFiles faults;
  // Neither the writer nor the check can open it: it never exists.
  faults.Fail(FileOperation::Open, 1, FaultKind::Persistent, u"file_9_31.qkw");
  RecordingView view;
  RunResults results;
  RunCycle(view.View(), results);
  ReleaseCycleObjects();
  EXPECT_EQ(results.fileSizeError, 1);
  EXPECT_EQ(faults.Failures(FileOperation::Open), 2 + LAST_FILE_OPEN_ATTEMPTS);
  EXPECT_FALSE(fs::exists("file_9_31.qkw"));
  EXPECT_EQ(FolderNames().size(), 511u);
}

TEST(EngineCycle, MissingLastFileCountsOnlyForWritersFiveToSixteen) {
  InstantClock clock;  // the bounded retries take no time
  struct Case {
    const char16_t* name;
    int64_t fileSizeError;
  };
  const Case cases[] = {{u"file_4_31.qkw", 0}, {u"file_5_31.qkw", 1}, {u"file_16_31.qkw", 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.name));
    MemoryFiles memory;
    FaultyFiles faults;
    // The writer's first open fails and its second finds no file to
    // truncate: the file never comes to be.
    faults.Fail(FileOperation::Open, 1, FaultKind::Once, c.name);
    RecordingView view;
    RunResults results;
    RunCycle(view.View(), results);
    ReleaseCycleObjects();
    EXPECT_EQ(results.fileSizeError, c.fileSizeError);
    EXPECT_FALSE(memory.Exists(c.name));
    EXPECT_EQ(memory.Names().size(), 511u);
  }
}

// Threads in force, except that the nth start or the nth semaphore fails.
struct FailingThreads {
  static inline int startsLeft = 0, semaphoresLeft = 0;
  static inline ThreadOps below{};
  ThreadOps replaced;

  FailingThreads(int failingStart, int failingSemaphore) {
    startsLeft = failingStart;
    semaphoresLeft = failingSemaphore;
    below = Threads();
    ThreadOps ops = below;
    ops.start = [](ThreadProc proc, void* argument, size_t stack) {
      return --startsLeft == 0 ? nullptr : below.start(proc, argument, stack);
    };
    ops.createSemaphore = [](int32_t initial, int32_t maximum) {
      return --semaphoresLeft == 0 ? nullptr : below.createSemaphore(initial, maximum);
    };
    replaced = SetThreadOps(ops);
  }
  ~FailingThreads() { SetThreadOps(replaced); }
};

TEST(EngineCycle, WriterThatNeverSignalsFailsTheCycleAfterBoundedWaits) {
  InstantClock clock;
  struct Case {
    int failingStart, failingSemaphore, writersThatRan;
  };
  // Writer 5 never starts; writer 3 has no semaphore to signal.
  for (const Case& c : {Case{5, 0, 15}, Case{0, 3, 16}}) {
    SCOPED_TRACE(c.failingStart);
    MemoryFiles memory;
    FaultyFiles faults;
    FailingThreads threads(c.failingStart, c.failingSemaphore);
    RecordingView view;
    RunResults results;
    RunCycle(view.View(), results);
    ReleaseCycleObjects();
    EXPECT_EQ(results.fileSizeError, 1);
    // Started, each wait, flags cleared; the last files are not examined.
    EXPECT_EQ(view.Count("pumpEvents"), 1 + WRITER_WAIT_PASSES + 1);
    EXPECT_EQ(faults.Calls(FileOperation::Open), c.writersThatRan * 32);
  }
}

TEST(EngineDriveCheck, WritesAndDeletesTmpTmpOrSaysDriveError) {
  InstantClock clock;
  ScratchFolder folder;
  {
    RecordingView view;
    EXPECT_TRUE(CheckDriveWritable(view.View()));
    EXPECT_TRUE(view.messages.empty());
    EXPECT_FALSE(fs::exists("tmp.tmp"));
    EXPECT_EQ(clock.SleptMs(), 333);
  }
  {
    // The first way of opening fails; the second needs an existing file.
    FaultyFiles faults;
    faults.Fail(FileOperation::Open, 1);
    RecordingView view;
    EXPECT_FALSE(CheckDriveWritable(view.View()));
    EXPECT_EQ(view.events, std::vector<std::string>{"showMessage Drive Error"});
  }
  {
    FaultyFiles faults;
    Spill("tmp.tmp", "old");
    faults.Fail(FileOperation::Open, 1);
    RecordingView view;
    EXPECT_TRUE(CheckDriveWritable(view.View()));
    EXPECT_EQ(faults.Calls(FileOperation::Write), 3333);
    EXPECT_FALSE(fs::exists("tmp.tmp"));
  }
}

TEST(EngineDeleteTestFiles, RemovesEveryTestFileAndNothingElse) {
  InstantClock clock;
  ScratchFolder folder;
  Spill("file_1_0.qkw", "a");
  Spill("file_16_31.qkw", "b");
  Spill("file_17_0.qkw", "c");
  Spill("file_1_32.qkw", "d");
  Spill("other.txt", "e");
  DeleteTestFiles();
  EXPECT_EQ(FolderNames(), (std::set<std::string>{"file_17_0.qkw", "file_1_32.qkw", "other.txt"}));
  EXPECT_EQ(clock.Sleeps(), 32);
  EXPECT_EQ(clock.SleptMs(), 64);
}

}  // namespace
}  // namespace qm
