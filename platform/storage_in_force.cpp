// The storage table in force. Until a test replaces it, the backend's own
// table is used directly.
#include "platform/storage.h"

namespace qm {
namespace {

StorageOps replacement{};
bool replaced = false;

}  // namespace

const StorageOps& Storage() { return replaced ? replacement : NativeStorageOps(); }

StorageOps SetStorageOps(const StorageOps& ops) {
  StorageOps previous = Storage();
  replacement = ops;
  replaced = true;
  return previous;
}

}  // namespace qm
