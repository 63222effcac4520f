// Random printable bytes for the test files.
#pragma once

#include <cstdint>

namespace qm {

constexpr uint8_t RANDOM_BYTE_LOWEST = 33;    // '!'
constexpr uint8_t RANDOM_BYTE_HIGHEST = 126;  // '~'

// The state of one generator. Each writer keeps its own on its stack (and
// the drive check one of its own), so threads never share state, nothing
// is locked, and a draw reaches its state without thread-local storage,
// which the Windows compiler emulates with a function call per access.
struct RandomGenerator {
  uint64_t state = 0;
  bool started = false;
};

// A byte uniform over 33..126. The first draw from a generator starts it
// from the calling thread's id XOR the tick count.
uint8_t RandomByte(RandomGenerator& generator);

}  // namespace qm
