// Quillmark's console edition: the benchmark of the drive of the current
// folder, shown in a terminal.
//
// Exit status: 0 after a complete run, 1 after "Drive Error", 2 after a
// failed cycle, 64 for arguments other than --help and --version.
#include <cstdio>
#include <cstring>

#include "console/console_view.h"
#include "console/drive_under_test.h"
#include "console/save_report.h"
#include "console/system_info.h"
#include "engine/drive_check.h"
#include "engine/pause.h"
#include "engine/program_title.h"
#include "engine/test_files.h"
#include "engine/test_run.h"

namespace {

constexpr int EXIT_COMPLETE = 0;
constexpr int EXIT_DRIVE_ERROR = 1;
constexpr int EXIT_CYCLE_FAILED = 2;
constexpr int EXIT_USAGE = 64;

constexpr char USAGE[] =
    "Usage: quillmark [--help | --version]\n"
    "\n"
    "Benchmarks the drive of the current folder: ten cycles, each of sixteen\n"
    "threads writing 32 files of 4096 bytes one byte per write call. Ends with\n"
    "the lines \"cycle 1 <ms>\" .. \"cycle 10 <ms>\", \"average <ms>\" and\n"
    "\"speed <MB/s>\". Exit status: 0 after a complete run, 1 after \"Drive\n"
    "Error\", 2 after a failed cycle.\n";

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
  if (argc != 1) {
    std::fputs(USAGE, stderr);
    return EXIT_USAGE;
  }

  qm::ConsoleScreen screen = qm::StartConsoleScreen(stdout);
  const qm::RunView view = qm::ConsoleRunView(screen);

  // Test files of an earlier start go first, as in the window program.
  qm::DeleteTestFiles();
  qm::Pause(256);
  const std::vector<qm::Text> systemInfoLines = qm::PrintSystemInfo(stdout);

  if (!qm::CheckDriveWritable(view)) return EXIT_DRIVE_ERROR;
  qm::ShowDriveUnderTest(stdout);

  qm::RunResults results;
  qm::TestRun(view, results);
  if (screen.programEnded) return EXIT_CYCLE_FAILED;
  qm::SaveConsoleReport(results, systemInfoLines, stdout);
  qm::PrintResultLines(stdout, results);
  return EXIT_COMPLETE;
}
