// Quillmark's console edition: the benchmark of the drive of the current
// folder, shown in a terminal.
//
// Exit status: 0 after a complete run, 1 after "Drive Error", 2 after a
// failed cycle, 64 for arguments other than --help, --version and --json.
#include <cstdio>
#include <cstring>

#include "console/console_view.h"
#include "console/folder_mount.h"
#include "console/json_results.h"
#include "console/linux_drives.h"
#include "console/run_statistics.h"
#include "console/save_report.h"
#include "console/system_info.h"
#include "engine/drive_check.h"
#include "engine/pause.h"
#include "engine/program_identity.h"
#include "engine/test_files.h"
#include "engine/test_run.h"

namespace {

constexpr int EXIT_COMPLETE = 0;
constexpr int EXIT_DRIVE_ERROR = 1;
constexpr int EXIT_CYCLE_FAILED = 2;
constexpr int EXIT_USAGE = 64;

constexpr char USAGE[] =
    "Usage: quillmark [--help | --version | --json]\n"
    "\n"
    "Benchmarks the drive of the current folder: ten cycles, each of sixteen\n"
    "threads writing 32 files of 4096 bytes one byte per write call. Ends with\n"
    "the lines \"cycle 1 <ms>\" .. \"cycle 10 <ms>\", \"average <ms>\" and\n"
    "\"speed <MB/s>\". Exit status: 0 after a complete run, 1 after \"Drive\n"
    "Error\", 2 after a failed cycle. Before them: \"minimum <ms>\", \"maximum\n"
    "<ms>\", \"deviation <ms>\" of the ten cycles and the unit of the speed.\n"
    "\n"
    "--json  the results as one JSON object on standard output (cycle times,\n"
    "        average, speed, statistics, system lines, drive under test,\n"
    "        drives); everything else goes to standard error.\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
    std::fputs(USAGE, stdout);
    return EXIT_COMPLETE;
  }
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("%s\n", qm::Utf8(qm::PROGRAM_TITLE).c_str());
    return EXIT_COMPLETE;
  }
  const bool json = argc == 2 && std::strcmp(argv[1], "--json") == 0;
  if (argc != 1 && !json) {
    if (argc == 2) {
      std::fprintf(stderr, "quillmark: unknown argument '%s'\n\n", argv[1]);
    } else {
      std::fputs("quillmark: one argument at most\n\n", stderr);
    }
    std::fputs(USAGE, stderr);
    return EXIT_USAGE;
  }

  // With --json standard output carries the JSON object alone.
  std::FILE* out = json ? stderr : stdout;
  qm::ConsoleScreen screen = qm::StartConsoleScreen(out);
  const qm::RunView view = qm::ConsoleRunView(screen);

  // Test files of an earlier start go first, as in the window program.
  qm::DeleteTestFiles();
  qm::Pause(256);
  const std::vector<qm::Text> systemInfoLines = qm::PrintSystemInfo(out);
  const qm::Text driveList = qm::ShowDriveList(out);

  if (!qm::CheckDriveWritable(view)) return EXIT_DRIVE_ERROR;
  qm::ShowDriveUnderTest(out);

  qm::RunResults results;
  qm::TestRun(view, results);
  if (screen.programEnded) return EXIT_CYCLE_FAILED;
  const qm::Text driveUnderTest = qm::DriveUnderTestMountPoint();
  qm::SaveConsoleReport(results, {systemInfoLines, driveUnderTest, driveList}, out);
  std::fputs(qm::StatisticsLines(results).c_str(), out);
  qm::PrintResultLines(out, results);
  if (json) {
    std::fputs(qm::ResultsJson(results, {systemInfoLines, driveUnderTest, driveList}).c_str(), stdout);
  }
  return EXIT_COMPLETE;
}
