// Pauses of whole milliseconds at the system timer's finest resolution.
#pragma once

#include <cstdint>

namespace qm {

// Sleeps for ms milliseconds. The first pause of the process asks for a
// 1 ms timer resolution, which stays in force until the process ends.
// Safe to call from any thread.
void Pause(uint32_t ms);

}  // namespace qm
