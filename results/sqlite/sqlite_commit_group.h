// Group commit for the SQLite store: with synchronous = FULL every commit
// waits for the disk, so writes that arrive while one commit is being made
// wait together and share the next. The writer that finds the turn free
// leads: it takes the waiting writes (its own first), has them run in one
// transaction and committed once, then settles each with its own outcome.
// The same turn serves the writes that do not join a group.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <string>

#include "results/result_store.h"

namespace qm {

// At most this many writes share a commit, so a leader's transaction stays short.
constexpr size_t COMMIT_GROUP_LIMIT = 64;

enum class WriteStage { Queued, Taken, Settled };

// One caller's records, waiting for the commit that holds them. outcome,
// error and statuses are filled by the leader before stage is Settled.
struct GroupedWrite {
  ResultRecord* const* records = nullptr;
  const std::string* keys = nullptr;
  size_t count = 0;
  StoreStatus* statuses = nullptr;
  StoreStatus outcome = StoreStatus::Failed;
  std::string error;
  WriteStage stage = WriteStage::Queued;
};

struct CommitGroup {
  std::mutex mutex;
  std::condition_variable changed;  // the turn was given back
  bool writing = false;             // a writer holds this process's turn
  std::deque<GroupedWrite*> queue;
};

// Runs writes[0..count) in one transaction and settles each one's outcome,
// error and statuses; Ok for none unless their commit is durable.
using GroupCommitter = std::function<void(GroupedWrite* const* writes, size_t count)>;

// Returns once write is settled, by this caller as leader or by another.
// A write still queued when wait runs out is withdrawn, Failed as busy.
void CommitInGroup(CommitGroup* group, GroupedWrite* write, std::chrono::milliseconds wait,
                   const GroupCommitter& commit);

// The turn alone, for a write of its own; false when wait ran out.
bool TakeWriterTurn(CommitGroup* group, std::chrono::milliseconds wait);
void GiveWriterTurn(CommitGroup* group);

extern const char* const WRITER_BUSY;

}  // namespace qm
