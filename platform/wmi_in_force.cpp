// The management-object table in force.
#include "platform/in_force.h"
#include "platform/wmi.h"

namespace qm {
namespace {

InForce<WmiOps> inForce;

}  // namespace

const WmiOps& Wmi() { return inForce.Get(NativeWmiOps()); }
WmiOps SetWmiOps(const WmiOps& ops) { return inForce.Set(ops, NativeWmiOps()); }

}  // namespace qm
