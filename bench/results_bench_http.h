// Parts (b) uploads and (c) readers: the board served over HTTP.
#pragma once

#include "results_bench.h"

namespace qm {

// Serves backend's database and measures the parts asked for, printing
// their figures. Returns false when a part lost uploads or failed.
bool RunHttpBench(const BenchBackend& backend, bool uploads, bool readers);

}  // namespace qm
