// The tables of files, threads and time in force.
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/in_force.h"
#include "platform/threads.h"

namespace qm {
namespace {

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
