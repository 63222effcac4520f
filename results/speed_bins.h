// The bins of the board's histogram: HISTOGRAM_BINS equal parts of the
// speed scale. A result's bin follows from its average alone, and a longer
// average is never in a higher bin, so each bin is one run of averages. The
// databases keep a count per bin, finding a result's bin from the lowest
// average of each (SpeedBinFloorRows, written into the schema), so they
// agree with HistogramBin for every average.
#pragma once

#include <cstdint>
#include <string>

namespace qm {

constexpr int HISTOGRAM_BINS = 52;

// The bin of a speed in MB/s: 0 (slowest) to HISTOGRAM_BINS - 1.
int HistogramBin(double speed);

// The bin of a result with this average, as the databases find it: the
// bin of the highest floor at or below it.
int HistogramBinOfAverage(int64_t averageMs);

// The shortest and longest average whose result falls in bin; a bin no
// whole average falls in has highest < lowest.
int64_t LowestAverageInBin(int bin);
int64_t HighestAverageInBin(int bin);

// The longest average whose speed is at least that of averageMs: every
// longer average is strictly slower. (Beyond 2^53 ms neighbouring averages
// share one speed.)
int64_t LongestAverageAsFastAs(int64_t averageMs);

// "(lowest, bin), …" for every bin some average falls in: the rows of the
// schema's table of bin floors.
std::string SpeedBinFloorRows();

}  // namespace qm
