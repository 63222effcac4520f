// Part (d): the board at a million results. The base is written through the
// store in large transactions (making and checking a million validation
// files would take the bench's whole budget); the real import and uploads
// are timed on top of it by parts (a) and (b).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "results/result_store.h"
#include "results_bench.h"

namespace qm {

// The drive model that a large share of the base has, for deep model pages.
constexpr char POPULAR_MODEL[] = "Samsung SSD 970 EVO Plus 1TB";

// Stores count results through AddResults, prints rows/s.
bool FillThroughStore(const BenchBackend& backend, int64_t count);

// How many results the store holds already (a kept base), or -1.
int64_t StoredResults(ResultStore* store);

// The addresses part (d) reads: the table plus a page after a
// given result deep in the popular model, and the CSV.
std::vector<std::string> MillionPaths(const BenchBackend& backend);

}  // namespace qm
