// The tables of operations in force. Until a test replaces one, the
// backend's own table is used directly.
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/threads.h"

namespace qm {
namespace {

template <typename Ops>
struct InForce {
  Ops replacement{};
  bool replaced = false;

  const Ops& Get(const Ops& native) const { return replaced ? replacement : native; }

  Ops Set(const Ops& ops, const Ops& native) {
    Ops previous = Get(native);
    replacement = ops;
    replaced = true;
    return previous;
  }
};

InForce<FileOps> fileOps;
InForce<ThreadOps> threadOps;
InForce<ClockOps> clockOps;

}  // namespace

const FileOps& Files() { return fileOps.Get(NativeFileOps()); }
FileOps SetFileOps(const FileOps& ops) { return fileOps.Set(ops, NativeFileOps()); }

const ThreadOps& Threads() { return threadOps.Get(NativeThreadOps()); }
ThreadOps SetThreadOps(const ThreadOps& ops) { return threadOps.Set(ops, NativeThreadOps()); }

const ClockOps& Clock() { return clockOps.Get(NativeClockOps()); }
ClockOps SetClockOps(const ClockOps& ops) { return clockOps.Set(ops, NativeClockOps()); }

}  // namespace qm
