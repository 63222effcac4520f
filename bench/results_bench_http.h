// Parts (b) uploads and (c) readers: the board served over HTTP.
#pragma once

#include <string>
#include <vector>

#include "results_bench.h"

namespace qm {

// Serves backend's database and measures the parts asked for, printing
// their figures. Returns false when a part lost uploads or failed.
bool RunHttpBench(const BenchBackend& backend, bool uploads, bool readers);

// Serves backend's database and reads each path with wrk (16 connections,
// 10 s), printing p50, p99 and requests/s, then the board's peak memory.
bool RunPathsBench(const BenchBackend& backend, const std::vector<std::string>& paths);

}  // namespace qm
