// The fixed key and initialisation vector of every validation file. They
// are the same in every build: the author decrypts files from all copies.
#pragma once

#include <array>
#include <cstdint>

namespace qm {

extern const std::array<uint8_t, 32> ValidationKey;
extern const std::array<uint8_t, 16> ValidationIv;

}  // namespace qm
