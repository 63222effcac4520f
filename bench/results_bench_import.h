// Part (a): `quillmark-results import` of many received files into a
// board that holds many results already.
#pragma once

#include "results_bench.h"

namespace qm {

// Writes files distinct validation files into a scratch folder, runs the
// real program on all of them and prints files/s; checks that every one
// was added. Returns false when the import lost or refused any.
bool RunImportBench(const BenchBackend& backend, int64_t files);

}  // namespace qm
