// The shortest cycle a real run can measure, from the cycle's own fixed
// pauses: however fast the drive, the thread that times the cycle sleeps
// after starting each writer and after opening each checked last file. The
// board refuses averages below it.
#pragma once

#include <cstdint>

#include "engine/run_cycle.h"
#include "engine/test_files.h"

namespace qm {

constexpr int CHECKED_LAST_FILES = WRITERS - FIRST_CHECKED_WRITER + 1;

// The timing thread's pauses in one cycle, one after another: 16 x 4 ms
// while the writers start and 12 x 4 ms in the size check (the writers' own
// 1 ms pauses run beside them and are left out).
constexpr int CYCLE_PAUSE_COUNT = WRITERS + CHECKED_LAST_FILES;
constexpr int64_t CYCLE_PAUSES_MS =
    int64_t{WRITERS} * WRITER_START_PAUSE_MS + int64_t{CHECKED_LAST_FILES} * LAST_FILE_OPEN_PAUSE_MS;

// A pause may end up to one timer tick early (Windows' Sleep at a 1 ms
// period), and the clock counts whole milliseconds, so the floor gives
// 1 ms per pause and 1 ms for the clock.
constexpr int64_t PAUSE_EARLY_MS = 1;
constexpr int64_t SHORTEST_CYCLE_MS = CYCLE_PAUSES_MS - CYCLE_PAUSE_COUNT * PAUSE_EARLY_MS - 1;

}  // namespace qm
