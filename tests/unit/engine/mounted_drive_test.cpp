// The engine and the console edition on drives that refuse writes: a
// read-only tmpfs and a small tmpfs that fills up during a cycle. Mounting
// needs root (CI runs as root); elsewhere these tests are skipped.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "engine/drive_check.h"
#include "engine/run_cycle.h"
#include "engine/test_files.h"
#include "engine/test_run.h"
#include "tests/support/instant_clock.h"
#include "tests/support/recording_view.h"
#include "tests/support/scratch_folder.h"

namespace qm {
namespace {

namespace fs = std::filesystem;

std::string Quoted(const fs::path& path) { return "'" + path.string() + "'"; }

// A tmpfs mounted on a fresh folder for the life of the object.
class TmpfsMount {
 public:
  explicit TmpfsMount(const std::string& options) {
    const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    point_ = fs::temp_directory_path() / ("qm_mount_" + std::to_string(now));
    fs::create_directory(point_);
    mounted_ =
        std::system(("mount -t tmpfs -o " + options + " quillmark-test " + Quoted(point_) + " 2>/dev/null")
                        .c_str()) == 0;
  }
  ~TmpfsMount() {
    if (mounted_) std::system(("umount " + Quoted(point_)).c_str());
    std::error_code error;
    fs::remove(point_, error);
  }
  bool Mounted() const { return mounted_; }
  const fs::path& Point() const { return point_; }

 private:
  fs::path point_;
  bool mounted_ = false;
};

#define SKIP_UNLESS_MOUNTED(mount)                                                             \
  if (!(mount).Mounted())                                                                      \
  GTEST_SKIP() << "mounting a tmpfs is not permitted here (needs root or CAP_SYS_ADMIN); the " \
                  "read-only and full-drive cases are not tested"

struct ConsoleOutcome {
  int exitStatus = -1;
  std::string output;
};

// Runs the console edition in folder; output and exit status go elsewhere,
// since folder may refuse writes.
ConsoleOutcome RunConsole(const fs::path& folder, const std::string& arguments = "") {
  ScratchFolder outside;
  const std::string command = "cd " + Quoted(folder) + " && " + Quoted(QM_CONSOLE_PROGRAM) + " " + arguments +
                              " > " + Quoted(outside.Path() / "out") + " 2>&1; echo $? > " +
                              Quoted(outside.Path() / "status");
  std::system(command.c_str());
  ConsoleOutcome outcome;
  std::ifstream status(outside.Path() / "status");
  status >> outcome.exitStatus;
  std::ifstream out(outside.Path() / "out");
  outcome.output.assign(std::istreambuf_iterator<char>(out), std::istreambuf_iterator<char>());
  return outcome;
}

TEST(EngineMountedDrive, ReadOnlyDriveGivesDriveError) {
  TmpfsMount mount("ro,size=1m");
  SKIP_UNLESS_MOUNTED(mount);
  {
    ScratchFolder inside(mount.Point());
    RecordingView view;
    EXPECT_FALSE(CheckDriveWritable(view.View()));
    EXPECT_EQ(view.events, std::vector<std::string>{"showMessage Drive Error"});
  }
  const ConsoleOutcome console = RunConsole(mount.Point());
  EXPECT_EQ(console.exitStatus, 1);
  const std::string lastLine = "Drive Error\n";
  ASSERT_GE(console.output.size(), lastLine.size());
  EXPECT_EQ(console.output.substr(console.output.size() - lastLine.size()), lastLine);
}

TEST(EngineMountedDrive, DriveFillingUpDuringACycleEndsInTheFileSizeMessage) {
  // 1 MiB holds half a cycle: at most 8 writers can finish their queue, so
  // the last file of some writer from 5 to 16 is short whatever the timing.
  TmpfsMount mount("size=1m");
  SKIP_UNLESS_MOUNTED(mount);
  {
    ScratchFolder inside(mount.Point());
    InstantClock clock;
    RecordingView view;
    RunResults results;
    TestRun(view.View(), results);
    ReleaseCycleObjects();
    EXPECT_EQ(view.messages, std::vector<std::string>{"Cycle 1,Error On File Dimension"});
    EXPECT_TRUE(view.programEnded);
    EXPECT_EQ(results.completedMarker, 0);
    DeleteTestFiles();
  }
  const ConsoleOutcome console = RunConsole(mount.Point());
  EXPECT_EQ(console.exitStatus, 2);
  const std::string lastLine = "Cycle 1,Error On File Dimension\n";
  ASSERT_GE(console.output.size(), lastLine.size());
  EXPECT_EQ(console.output.substr(console.output.size() - lastLine.size()), lastLine);
}

}  // namespace
}  // namespace qm
