#include "results_bench_import.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <vector>

#include "tests/support/scratch_folder.h"

namespace qm {
namespace {

// Runs the program with arguments, its standard output into outPath.
int RunProgram(const std::vector<std::string>& arguments, const std::string& outPath) {
  std::vector<char*> argv;
  argv.reserve(arguments.size() + 1);
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid = 0;
  const int started = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (started != 0) return -1;
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int64_t CountLines(const std::string& path, const std::string& start) {
  std::ifstream file(path);
  int64_t count = 0;
  for (std::string line; std::getline(file, line);)
    if (line.rfind(start, 0) == 0) ++count;
  return count;
}

}  // namespace

bool RunImportBench(const BenchBackend& backend, int64_t files) {
  ScratchFolder folder;
  std::vector<std::string> arguments = {ResultsProgram(), "import", "--db", backend.url};
  for (int64_t n = 0; n < files; ++n) {
    arguments.push_back("r" + std::to_string(n) + ".verify");
    std::ofstream(arguments.back(), std::ios::binary) << BenchValidationFile(n, "import");
  }
  const auto start = std::chrono::steady_clock::now();
  const int status = RunProgram(arguments, "import.out");
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const int64_t added = CountLines("import.out", "added ");
  std::printf("%-8s (a) import of %lld files: %.2f s, %.0f files/s (target >= 5000/s), added %lld, exit %d\n",
              backend.name.c_str(), static_cast<long long>(files), seconds,
              static_cast<double>(files) / seconds, static_cast<long long>(added), status);
  std::fflush(stdout);
  return status == 0 && added == files;
}

}  // namespace qm
