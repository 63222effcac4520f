// The engine's cycle against the floor writer, interleaved in one process,
// in the current directory: prints both medians and their ratio.
//
//   qm_cycle_bench [pairs]      (default 15 pairs)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench/floor_cycle.h"
#include "engine/run_cycle.h"
#include "engine/test_files.h"

namespace {

double EngineCycleMs() {
  qm::RunView quiet;
  qm::RunResults results;
  const auto start = std::chrono::steady_clock::now();
  qm::RunCycle(quiet, results);
  const double ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  qm::ReleaseCycleObjects();
  if (results.fileSizeError != 0) std::fprintf(stderr, "engine cycle reported a file-size error\n");
  return ms;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  const int pairs = argc > 1 ? std::atoi(argv[1]) : 15;
  if (pairs < 1) {
    std::fprintf(stderr, "usage: qm_cycle_bench [pairs]\n");
    return 64;
  }
  std::vector<double> engine, floor, ratios;
  for (int pair = 0; pair < pairs; ++pair) {
    // Alternate which goes first, so that drift of the machine weighs on both.
    double e = 0, f = 0;
    for (int turn = 0; turn < 2; ++turn) {
      qm::DeleteTestFiles();
      if ((turn == 0) == (pair % 2 == 0)) {
        e = EngineCycleMs();
      } else {
        f = qm::FloorCycleMs();
      }
    }
    engine.push_back(e);
    floor.push_back(f);
    ratios.push_back(e / f);
    std::printf("pair %2d  engine %8.1f ms  floor %8.1f ms  ratio %.3f\n", pair + 1, e, f, e / f);
    std::fflush(stdout);
  }
  qm::DeleteTestFiles();
  std::printf("median engine %.1f ms\n", Median(engine));
  std::printf("median floor  %.1f ms\n", Median(floor));
  std::printf("ratio of medians %.3f\n", Median(engine) / Median(floor));
  std::printf("median of pair ratios %.3f\n", Median(ratios));
  return 0;
}
