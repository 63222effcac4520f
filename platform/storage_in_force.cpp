// The storage table in force.
#include "platform/in_force.h"
#include "platform/storage.h"

namespace qm {
namespace {

InForce<StorageOps> inForce;

}  // namespace

const StorageOps& Storage() { return inForce.Get(NativeStorageOps()); }
StorageOps SetStorageOps(const StorageOps& ops) { return inForce.Set(ops, NativeStorageOps()); }

}  // namespace qm
