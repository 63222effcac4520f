// Random printable bytes for the test files.
#pragma once

#include <cstdint>

namespace qm {

constexpr uint8_t RANDOM_BYTE_LOWEST = 33;    // '!'
constexpr uint8_t RANDOM_BYTE_HIGHEST = 126;  // '~'

// A byte uniform over 33..126. Each thread has its own generator, started
// on the thread's first draw from its thread id XOR the tick count, so
// threads never share state and nothing is locked.
uint8_t RandomByte();

}  // namespace qm
