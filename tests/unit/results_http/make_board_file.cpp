// Writes a validation file of a Windows report for the browser test and the
// benchmark's load scripts: make_board_file OUT MODEL AVERAGE_MS [PROCESSOR]
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "board_files.h"

int main(int argc, char** argv) {
  if (argc < 4 || std::atoll(argv[3]) <= 0) {
    std::fprintf(stderr, "usage: make_board_file OUT MODEL AVERAGE_MS [PROCESSOR]\n");
    return 64;
  }
  qm::ReportFields fields;
  fields.driveModel = argv[2];
  fields.averageMs = std::atoll(argv[3]);
  if (argc > 4) fields.processor = argv[4];
  std::ofstream out(argv[1], std::ios::binary);
  out << qm::EncryptReport(qm::WindowsReport(fields));
  return out.good() ? 0 : 1;
}
