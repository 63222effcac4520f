// One timed cycle: sixteen writer threads each write their queue of
// thirty-two test files, one byte per write call; then the last files are
// checked for their size.
#pragma once

#include <cstdint>

#include "engine/run_results.h"
#include "engine/run_view.h"

namespace qm {

// The pauses inside every timed cycle: between the starts of two writers,
// after each file a writer closes, and after each open of a last file.
constexpr uint32_t WRITER_START_PAUSE_MS = 4;
constexpr uint32_t AFTER_FILE_PAUSE_MS = 1;
constexpr uint32_t LAST_FILE_OPEN_PAUSE_MS = 4;

// The last files of writers FIRST_CHECKED_WRITER..16 are checked for their
// size after the writers end; those of writers 1..4 are not.
constexpr int FIRST_CHECKED_WRITER = 5;

// A last file that cannot be opened is tried this often, 4 ms apart, before
// the cycle counts as failed.
constexpr int LAST_FILE_OPEN_ATTEMPTS = 250;
// Passes of the wait for the writers before a writer that never signalled
// (not started, or its signal failed) fails the cycle.
constexpr int WRITER_WAIT_PASSES = 3;

// Creates the sixteen semaphores, starts the sixteen writers 4 ms apart,
// waits for all of them, then checks the last files. Sets fileSizeError
// when a last file is not 4096 bytes long, cannot be opened, or a writer
// did not finish. Pumps the view's events at fixed points.
void RunCycle(const RunView& view, RunResults& results);

// The writers' thread procedure; writer points at the writer's number
// 1..16 (an int). Writes files 0..31 of that writer, then signals the
// writer's semaphore. Returns 0.
uint32_t WriterThread(void* writer);

// Opens "file_5_31.qkw" .. "file_16_31.qkw" one by one and sets
// fileSizeError for every one that is not 4096 bytes long or cannot be
// opened within LAST_FILE_OPEN_ATTEMPTS.
void CheckLastFiles(const RunView& view, RunResults& results);

// Closes the cycle's sixteen semaphores and clears the done flags and the
// all-ended flag.
void ReleaseCycleObjects();

}  // namespace qm
