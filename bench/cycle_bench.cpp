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
#include "bench/median.h"
#include "bench/processor_time.h"
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

struct Timed {
  double elapsedMs, cpuMs;
};

template <typename Cycle>
Timed Measure(Cycle cycle) {
  const double before = qm::ProcessorMs();
  const double elapsedMs = cycle();
  return {elapsedMs, qm::ProcessorMs() - before};
}

}  // namespace

int main(int argc, char** argv) {
  const int pairs = argc > 1 ? std::atoi(argv[1]) : 15;
  if (pairs < 1) {
    std::fprintf(stderr, "usage: qm_cycle_bench [pairs]\n");
    return 64;
  }
  std::vector<double> engine, floor, ratios, engineCpu, floorCpu, cpuRatios;
  for (int pair = 0; pair < pairs; ++pair) {
    // Alternate which goes first, so that drift of the machine weighs on both.
    Timed e{}, f{};
    for (int turn = 0; turn < 2; ++turn) {
      qm::DeleteTestFiles();
      if ((turn == 0) == (pair % 2 == 0)) {
        e = Measure(EngineCycleMs);
      } else {
        f = Measure(qm::FloorCycleMs);
      }
    }
    engine.push_back(e.elapsedMs);
    floor.push_back(f.elapsedMs);
    ratios.push_back(e.elapsedMs / f.elapsedMs);
    engineCpu.push_back(e.cpuMs);
    floorCpu.push_back(f.cpuMs);
    cpuRatios.push_back(e.cpuMs / f.cpuMs);
    std::printf("pair %2d  engine %8.1f ms (cpu %8.1f)  floor %8.1f ms (cpu %8.1f)  ratio %.3f (cpu %.3f)\n",
                pair + 1, e.elapsedMs, e.cpuMs, f.elapsedMs, f.cpuMs, e.elapsedMs / f.elapsedMs,
                e.cpuMs / f.cpuMs);
    std::fflush(stdout);
  }
  qm::DeleteTestFiles();
  std::printf(
      "elapsed: median engine %.1f ms, median floor %.1f ms, ratio %.3f, median of pair ratios %.3f\n",
      qm::Median(engine), qm::Median(floor), qm::Median(engine) / qm::Median(floor), qm::Median(ratios));
  std::printf(
      "cpu:     median engine %.1f ms, median floor %.1f ms, ratio %.3f, median of pair ratios %.3f\n",
      qm::Median(engineCpu), qm::Median(floorCpu), qm::Median(engineCpu) / qm::Median(floorCpu),
      qm::Median(cpuRatios));
  return 0;
}
