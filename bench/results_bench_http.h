// Parts (b) uploads and (c) readers: the board served over HTTP. They come
// with the HTTP half (results_bench_http.cpp); results_bench.cpp calls them
// only when that file is built in (QM_RESULTS_BENCH_HTTP).
#pragma once

#include "results_bench.h"

namespace qm {

// Serves backend's database and measures the parts asked for, printing
// their figures. Returns false when a part lost uploads or failed.
bool RunHttpBench(const BenchBackend& backend, bool uploads, bool readers);

}  // namespace qm
