// The threads that do the board's database work, apart from the threads
// that hold connections: a fixed number of workers and a short queue. When
// both are full a job is refused at once rather than queued without end,
// so the caller can answer 503 while the board stays responsive.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace qm {

struct WorkPool {
  std::mutex mutex;
  std::condition_variable wake;
  std::deque<std::function<void()>> queue;
  std::vector<std::thread> workers;
  size_t maxQueued = 0;
  size_t busy = 0;  // jobs running now
  bool stopping = false;
};

void StartWorkPool(WorkPool* pool, size_t workers, size_t maxQueued);

// Queues job. false: every worker is busy and the queue is full (unless
// force: the next step of work already taken, which must not be dropped),
// or the pool is stopping; the job was not taken.
bool SubmitWork(WorkPool* pool, std::function<void()> job, bool force = false);

// Jobs running plus jobs queued.
size_t WorkInUse(WorkPool* pool);

// Runs the jobs already queued, then ends the workers.
void StopWorkPool(WorkPool* pool);

}  // namespace qm
