// Leader and followers on this process's writer turn; see the header.
#include "results/sqlite/sqlite_commit_group.h"

#include <algorithm>
#include <vector>

namespace qm {

const char* const WRITER_BUSY = "SQLite: the database is busy with another writer";

namespace {

// write first, then the longest waiting, up to the limit.
std::vector<GroupedWrite*> TakeGroup(CommitGroup* group, GroupedWrite* write) {
  std::vector<GroupedWrite*> taken{write};
  group->queue.erase(std::find(group->queue.begin(), group->queue.end(), write));
  while (taken.size() < COMMIT_GROUP_LIMIT && !group->queue.empty()) {
    taken.push_back(group->queue.front());
    group->queue.pop_front();
  }
  for (GroupedWrite* each : taken) each->stage = WriteStage::Taken;
  return taken;
}

void Withdraw(CommitGroup* group, GroupedWrite* write) {
  group->queue.erase(std::find(group->queue.begin(), group->queue.end(), write));
  write->outcome = StoreStatus::Failed;
  write->error = WRITER_BUSY;
  std::fill(write->statuses, write->statuses + write->count, StoreStatus::Failed);
}

}  // namespace

void CommitInGroup(CommitGroup* group, GroupedWrite* write, std::chrono::milliseconds wait,
                   const GroupCommitter& commit) {
  const auto deadline = std::chrono::steady_clock::now() + wait;
  std::unique_lock<std::mutex> lock(group->mutex);
  group->queue.push_back(write);
  while (write->stage != WriteStage::Settled && group->writing) {
    // Taken: its leader is committing it and will settle it, however long
    // that takes (its own waits are bounded by SQLite's busy timeout).
    if (write->stage == WriteStage::Taken) {
      group->changed.wait(lock);
      continue;
    }
    if (group->changed.wait_until(lock, deadline) == std::cv_status::timeout &&
        write->stage == WriteStage::Queued && group->writing) {
      Withdraw(group, write);
      return;
    }
  }
  if (write->stage == WriteStage::Settled) return;
  group->writing = true;
  const std::vector<GroupedWrite*> taken = TakeGroup(group, write);
  lock.unlock();
  commit(taken.data(), taken.size());
  lock.lock();
  for (GroupedWrite* each : taken) each->stage = WriteStage::Settled;
  group->writing = false;
  lock.unlock();
  group->changed.notify_all();
}

bool TakeWriterTurn(CommitGroup* group, std::chrono::milliseconds wait) {
  std::unique_lock<std::mutex> lock(group->mutex);
  if (!group->changed.wait_for(lock, wait, [group] { return !group->writing; })) return false;
  group->writing = true;
  return true;
}

void GiveWriterTurn(CommitGroup* group) {
  {
    std::lock_guard<std::mutex> lock(group->mutex);
    group->writing = false;
  }
  group->changed.notify_all();
}

}  // namespace qm
