#include "engine/random_byte.h"

#include "platform/clock.h"
#include "platform/threads.h"

namespace qm {
namespace {

constexpr uint32_t RANDOM_BYTE_VALUES = RANDOM_BYTE_HIGHEST - RANDOM_BYTE_LOWEST + 1;  // 94

// Multiplying a 32-bit draw by 94 spreads it over 94 buckets of 2^32 units;
// the low 32 bits of the product below this limit mark the 2^32 mod 94
// draws that would favour some buckets, and those are drawn again.
constexpr uint32_t REJECT_BELOW = static_cast<uint32_t>(0x100000000ull % RANDOM_BYTE_VALUES);

// SplitMix64: any starting value is good (zero included), one add and a
// few multiply-xor-shift steps per draw, period 2^64.
uint64_t Next(uint64_t& state) {
  uint64_t z = (state += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

}  // namespace

uint8_t RandomByte(RandomGenerator& generator) {
  if (!generator.started) {
    generator.started = true;
    generator.state = Threads().currentThreadId() ^ Clock().tickCount();
  }
  // A local copy lets the loop keep the state in a register.
  uint64_t state = generator.state;
  uint64_t product;
  do {
    product = (Next(state) >> 32) * RANDOM_BYTE_VALUES;
  } while (static_cast<uint32_t>(product) < REJECT_BELOW);
  generator.state = state;
  return static_cast<uint8_t>(RANDOM_BYTE_LOWEST + (product >> 32));
}

}  // namespace qm
