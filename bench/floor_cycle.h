// The cheapest writer with the shape of a cycle: the same sixteen threads
// started 4 ms apart, the same 512 files of 4096 one-byte writes with 1 ms
// after each file, the same twelve last files opened, paused 4 ms, sized
// and closed; but raw system calls, one constant byte, no tables, no
// generator, no semaphores. What a cycle costs beyond this is the engine's.
#pragma once

namespace qm {

// Runs one such cycle in the current directory; returns its milliseconds.
double FloorCycleMs();

}  // namespace qm
