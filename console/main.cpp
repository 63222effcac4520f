// Quillmark's console edition: the benchmark of the drive of the current
// folder, shown in a terminal.
//
// Exit status: 0 after a complete run, 1 after "Drive Error", 2 after a
// failed cycle, 3 when --submit could not hand the result to the board, 64
// for arguments other than --help, --version, --json and --submit URL.
#include <cstdio>
#include <cstring>
#include <string>

#include "console/console_view.h"
#include "console/drive_lines.h"
#include "console/json_results.h"
#include "console/run_statistics.h"
#include "console/save_report.h"
#include "console/submit_result.h"
#include "console/system_info.h"
#include "drives/linux_drive_under_test.h"
#include "drives/linux_drives.h"
#include "engine/drive_check.h"
#include "engine/pause.h"
#include "engine/program_identity.h"
#include "engine/test_files.h"
#include "engine/test_run.h"

namespace {

constexpr int EXIT_COMPLETE = 0;
constexpr int EXIT_DRIVE_ERROR = 1;
constexpr int EXIT_CYCLE_FAILED = 2;
constexpr int EXIT_NOT_SUBMITTED = 3;
constexpr int EXIT_USAGE = 64;

constexpr char USAGE[] =
    "Usage: quillmark [--help | --version | [--json] [--submit URL]]\n"
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
    "        drives); everything else goes to standard error.\n"
    "--submit URL  after a complete run, sends the validation file to the results\n"
    "        board at URL (http://host[:port][/path] or https://...) and prints \"submitted <address>\";\n"
    "        exit status 3 when the board cannot be reached or refuses it. The\n"
    "        results are saved in the folder either way.\n";

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
  bool json = false;
  std::string submitUrl;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--json") == 0 && !json) {
      json = true;
    } else if (std::strcmp(argv[i], "--submit") == 0 && submitUrl.empty() && i + 1 < argc &&
               qm::IsBoardUrl(argv[i + 1])) {
      submitUrl = argv[++i];
    } else {
      std::fprintf(stderr, "quillmark: unknown argument '%s'\n\n", argv[i]);
      if (std::strcmp(argv[i], "--submit") == 0)
        std::fputs(
            "quillmark: --submit needs the board's address, http://host[:port][/path] or https://...\n\n",
            stderr);
      std::fputs(USAGE, stderr);
      return EXIT_USAGE;
    }
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
  const qm::Text reportName =
      qm::SaveConsoleReport(results, {systemInfoLines, driveUnderTest, driveList}, out);
  std::fputs(qm::StatisticsLines(results).c_str(), out);
  qm::PrintResultLines(out, results);
  if (json) {
    std::fputs(qm::ResultsJson(results, {systemInfoLines, driveUnderTest, driveList}).c_str(), stdout);
  }
  if (!submitUrl.empty() && !qm::SubmitSavedResult(submitUrl, reportName, out, stderr))
    return EXIT_NOT_SUBMITTED;
  return EXIT_COMPLETE;
}
