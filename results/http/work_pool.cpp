#include "results/http/work_pool.h"

namespace qm {

namespace {

void Work(WorkPool* pool) {
  std::unique_lock<std::mutex> lock(pool->mutex);
  for (;;) {
    pool->wake.wait(lock, [pool] { return pool->stopping || !pool->queue.empty(); });
    if (pool->queue.empty()) return;
    std::function<void()> job = std::move(pool->queue.front());
    pool->queue.pop_front();
    ++pool->busy;
    lock.unlock();
    job();
    lock.lock();
    --pool->busy;
  }
}

}  // namespace

void StartWorkPool(WorkPool* pool, size_t workers, size_t maxQueued) {
  pool->maxQueued = maxQueued;
  for (size_t i = 0; i < workers; ++i) pool->workers.emplace_back(Work, pool);
}

bool SubmitWork(WorkPool* pool, std::function<void()> job, bool force) {
  {
    std::lock_guard<std::mutex> lock(pool->mutex);
    const size_t idle = pool->workers.size() - pool->busy;
    const size_t waiting = pool->queue.size();
    if (pool->stopping || (!force && waiting >= idle && waiting - idle >= pool->maxQueued)) return false;
    pool->queue.push_back(std::move(job));
  }
  pool->wake.notify_one();
  return true;
}

size_t WorkInUse(WorkPool* pool) {
  std::lock_guard<std::mutex> lock(pool->mutex);
  return pool->busy + pool->queue.size();
}

void StopWorkPool(WorkPool* pool) {
  {
    std::lock_guard<std::mutex> lock(pool->mutex);
    pool->stopping = true;
  }
  pool->wake.notify_all();
  for (std::thread& worker : pool->workers) worker.join();
  pool->workers.clear();
}

}  // namespace qm
