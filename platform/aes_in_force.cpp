// The cipher table in force.
#include "platform/aes.h"
#include "platform/in_force.h"

namespace qm {
namespace {

InForce<CipherOps> inForce;

}  // namespace

const CipherOps& Cipher() { return inForce.Get(NativeCipherOps()); }
CipherOps SetCipherOps(const CipherOps& ops) { return inForce.Set(ops, NativeCipherOps()); }

}  // namespace qm
