// The cipher table in force: the backend's own until a test replaces it.
#include "platform/aes.h"

namespace qm {
namespace {

CipherOps replacement{};
bool replaced = false;

}  // namespace

const CipherOps& Cipher() { return replaced ? replacement : NativeCipherOps(); }

CipherOps SetCipherOps(const CipherOps& ops) {
  CipherOps previous = Cipher();
  replacement = ops;
  replaced = true;
  return previous;
}

}  // namespace qm
