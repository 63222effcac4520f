// AES with a 256-bit key in cipher-block chaining mode, without padding, as
// a table of functions (see files.h). One chain runs over any number of
// calls: each call continues from the last ciphertext block of the one
// before. Tests put a failing table in force.
#pragma once

#include <cstdint>

namespace qm {

constexpr uint32_t AES_KEY_BYTES = 32;
constexpr uint32_t AES_BLOCK_BYTES = 16;

// One chain in progress. nullptr stands for "could not be started".
using CipherHandle = struct CipherObject*;

enum class CipherDirection { Encrypt, Decrypt };

struct CipherOps {
  // Starts a chain with a 32-byte key and a 16-byte initialisation vector.
  // Returns nullptr on failure.
  CipherHandle (*begin)(CipherDirection direction, const uint8_t* key, const uint8_t* iv);

  // Encrypts or decrypts size bytes, a multiple of 16, from in into out (the
  // two must not overlap), continuing the chain. Returns false on failure;
  // the chain is then unusable.
  bool (*update)(CipherHandle cipher, const uint8_t* in, uint8_t* out, uint32_t size);

  // Ends the chain and releases it. nullptr is ignored.
  void (*end)(CipherHandle cipher);
};

const CipherOps& Cipher();
const CipherOps& NativeCipherOps();
CipherOps SetCipherOps(const CipherOps& ops);

}  // namespace qm
