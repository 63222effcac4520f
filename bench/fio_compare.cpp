// The console edition's cycle beside fio writing the same shape, interleaved
// in one run, in the current directory: 16 jobs x 32 files x 4 KiB written
// one byte per write(2) (ioengine=sync, through the page cache), each file
// created when it is opened. Prints every pair, both medians and the ratio.
//
//   qm_fio_compare [pairs]      (default 10, as many as a run has cycles)
//
// Without fio on the PATH it says so and exits 0.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench/median.h"
#include "engine/millisecond_clock.h"
#include "engine/run_cycle.h"
#include "engine/test_files.h"

namespace {

constexpr char FIO_FOLDER[] = "fio_files";
constexpr char FIO_OUTPUT[] = "fio_output.json";

// fio's per-I/O time keeping (gtod_reduce) would cost it more than the
// writes themselves at one byte per call; the cycle keeps no such figures.
std::string FioCommand(const std::string& folder) {
  return "fio --name=quillmark --directory=" + folder +
         " --thread --numjobs=16 --nrfiles=32 --filesize=4k --bs=1 --rw=write --ioengine=sync"
         " --create_on_open=1 --file_service_type=sequential --fallocate=none --gtod_reduce=1"
         " --group_reporting --output-format=json --output=" +
         FIO_OUTPUT + " >/dev/null 2>&1";
}

// The cycle exactly as the console edition times it: the engine's clock
// around RunCycle.
double CycleMs() {
  qm::RunView quiet;
  qm::RunResults results;
  const int64_t t0 = qm::MillisecondClock();
  qm::RunCycle(quiet, results);
  const int64_t ms = qm::MillisecondClock() - t0;
  qm::ReleaseCycleObjects();
  if (results.fileSizeError != 0) std::fprintf(stderr, "the cycle reported a file-size error\n");
  return static_cast<double>(ms);
}

struct FioRun {
  bool ran = false;
  double wallMs = 0;     // the whole fio process, start-up and files included
  double runtimeMs = 0;  // fio's own write runtime
};

// The "runtime" of the write section ("write" : { ... }) of fio's JSON
// output; 0 when not found. The job options name "write" too, as a value.
double FioWriteRuntime(const std::string& json) {
  for (size_t at = json.find("\"write\""); at != std::string::npos; at = json.find("\"write\"", at + 1)) {
    const size_t colon = json.find_first_not_of(" \t\n", at + 7);
    if (colon == std::string::npos || json[colon] != ':') continue;
    const size_t brace = json.find_first_not_of(" \t\n", colon + 1);
    if (brace == std::string::npos || json[brace] != '{') continue;
    const size_t key = json.find("\"runtime\"", brace);
    if (key == std::string::npos) return 0;
    const size_t value = json.find(':', key);
    return value == std::string::npos ? 0 : std::atof(json.c_str() + value + 1);
  }
  return 0;
}

FioRun RunFio() {
  std::filesystem::remove_all(FIO_FOLDER);
  std::filesystem::create_directory(FIO_FOLDER);
  FioRun run;
  const auto start = std::chrono::steady_clock::now();
  run.ran = std::system(FioCommand(FIO_FOLDER).c_str()) == 0;
  run.wallMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  std::ifstream output(FIO_OUTPUT);
  const std::string json((std::istreambuf_iterator<char>(output)), std::istreambuf_iterator<char>());
  run.runtimeMs = FioWriteRuntime(json);
  std::filesystem::remove_all(FIO_FOLDER);
  std::filesystem::remove(FIO_OUTPUT);
  return run;
}

}  // namespace

int main(int argc, char** argv) {
  const int pairs = argc > 1 ? std::atoi(argv[1]) : 10;
  if (pairs < 1 || argc > 2) {
    std::fprintf(stderr, "usage: qm_fio_compare [pairs]\n");
    return 64;
  }
  if (std::system("command -v fio >/dev/null 2>&1") != 0) {
    std::printf("fio is not installed: no comparison (apt-get install fio)\n");
    return 0;
  }
  std::printf("fio: %s\n", FioCommand(FIO_FOLDER).c_str());
  std::vector<double> cycles, wall, runtime;
  for (int pair = 0; pair < pairs; ++pair) {
    // Alternate which goes first, so that drift of the machine weighs on both.
    double cycle = 0;
    FioRun fio;
    for (int turn = 0; turn < 2; ++turn) {
      qm::DeleteTestFiles();
      if ((turn == 0) == (pair % 2 == 0)) {
        cycle = CycleMs();
      } else {
        fio = RunFio();
      }
    }
    if (!fio.ran) {
      std::fprintf(stderr, "fio failed\n");
      return 1;
    }
    cycles.push_back(cycle);
    wall.push_back(fio.wallMs);
    runtime.push_back(fio.runtimeMs);
    std::printf(
        "pair %2d  quillmark cycle %6.0f ms   fio %7.1f ms (its own write runtime %6.0f ms)   ratio %.3f\n",
        pair + 1, cycle, fio.wallMs, fio.runtimeMs, cycle / fio.wallMs);
    std::fflush(stdout);
  }
  qm::DeleteTestFiles();
  std::printf("median quillmark cycle %.0f ms, median fio %.1f ms (own runtime %.0f ms)\n",
              qm::Median(cycles), qm::Median(wall), qm::Median(runtime));
  std::printf("ratio quillmark / fio: %.3f (against fio's own runtime %.3f)\n",
              qm::Median(cycles) / qm::Median(wall), qm::Median(cycles) / qm::Median(runtime));
  return 0;
}
