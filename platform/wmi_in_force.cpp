// The management-object table in force (see ops_in_force.cpp).
#include "platform/wmi.h"

namespace qm {
namespace {

WmiOps replacement{};
bool replaced = false;

}  // namespace

const WmiOps& Wmi() { return replaced ? replacement : NativeWmiOps(); }

WmiOps SetWmiOps(const WmiOps& ops) {
  WmiOps previous = Wmi();
  replacement = ops;
  replaced = true;
  return previous;
}

}  // namespace qm
