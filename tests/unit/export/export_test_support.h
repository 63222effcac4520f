// Shared by the export tests: a fresh current directory per test, a clock
// that reads out given times, hooks that record what they were asked.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "export/export_hooks.h"
#include "export/whole_file.h"
#include "platform/clock.h"
#include "platform/files.h"

namespace qm {

// Runs each test in a new empty folder and restores the tables it swaps.
class InFreshFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = std::filesystem::current_path();
    folder_ = std::filesystem::temp_directory_path() /
              ("qm_export_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    std::filesystem::current_path(folder_);
    savedFiles_ = Files();
    savedClock_ = Clock();
  }
  void TearDown() override {
    SetFileOps(savedFiles_);
    SetClockOps(savedClock_);
    std::filesystem::current_path(previous_);
    std::filesystem::remove_all(folder_);
  }

  // The names in the folder, sorted.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder_))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  static std::string Read(const Text& path) {
    std::string bytes;
    EXPECT_TRUE(ReadWholeFile(path, &bytes)) << Utf8(path);
    return bytes;
  }

  static void Write(const Text& path, const std::string& bytes) {
    ASSERT_TRUE(WriteWholeFile(path, OpenMode::CreateAlwaysWrite, bytes));
  }

 private:
  std::filesystem::path previous_, folder_;
  FileOps savedFiles_{};
  ClockOps savedClock_{};
};

// A clock whose local time reads out these values in turn (the last repeats).
inline std::vector<LocalTime>& ScriptedTimes() {
  static std::vector<LocalTime> times;
  return times;
}

inline void PutScriptedClock(std::vector<LocalTime> times) {
  ScriptedTimes() = std::move(times);
  ClockOps ops = Clock();
  ops.localTime = [] {
    auto& times = ScriptedTimes();
    LocalTime next = times.front();
    if (times.size() > 1) times.erase(times.begin());
    return next;
  };
  SetClockOps(ops);
}

// Hooks that log "pump", "capture" and every message, in order.
struct RecordingHooks {
  std::vector<std::u16string> log;
  Picture24 picture;       // what a capture hands out
  bool canCapture = true;  // false: no picture

  ExportHooks Hooks() {
    return {[this](const Text& text) { log.push_back(text); }, [this] { log.push_back(u"pump"); },
            [this](Picture24* out) {
              log.push_back(u"capture");
              if (canCapture) *out = picture;
              return canCapture;
            }};
  }
};

}  // namespace qm
