// qm_results_bench: the board's figures, each part against each backend
// with 100,000 results stored.
#pragma once

#include <cstdint>
#include <string>

namespace qm {

struct BenchBackend {
  std::string name;  // "sqlite" or "postgres"
  std::string url;   // for OpenResultStore and quillmark-results --db
};

// The n-th of as many distinct validation files as wanted, all valid:
// each has its own average and drive model. tag keeps the sets of
// different parts apart.
std::string BenchValidationFile(int64_t n, const std::string& tag);

// The quillmark-results the parts run: QM_RESULTS_PROGRAM from the
// environment (a copy, so the build can go on during a long run), else the
// one built beside the bench.
std::string ResultsProgram();

}  // namespace qm
