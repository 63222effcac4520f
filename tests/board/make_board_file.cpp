// Writes a validation file of a Windows report for the browser test:
//   make_board_file OUT MODEL AVERAGE_MS [PROCESSOR]
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "platform/text.h"
#include "tests/support/result_samples.h"

int main(int argc, char** argv) {
  if (argc < 4 || std::atoll(argv[3]) <= 0) {
    std::fprintf(stderr, "usage: make_board_file OUT MODEL AVERAGE_MS [PROCESSOR]\n");
    return 64;
  }
  qm::SampleReport sample;
  sample.driveModel = qm::FromUtf8(argv[2]);
  sample.averageMs = std::atoll(argv[3]);
  if (argc > 4) sample.processor = qm::FromUtf8(argv[4]);
  std::ofstream out(argv[1], std::ios::binary);
  out << qm::SampleValidationFile(sample);
  return out.good() ? 0 : 1;
}
