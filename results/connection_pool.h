// Connections of a database for many threads: a call leases one that is
// idle, or opens another, and gives it back when done. A connection serves
// one thread at a time, as SQLite's and libpq's connections require.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace qm {

template <typename Connection>
struct ConnectionPool {
  std::function<Connection*(std::string* error)> open;
  std::function<void(Connection*)> close;
  // A connection that broke (its server went away) is closed, not kept.
  std::function<bool(Connection*)> healthy = [](Connection*) { return true; };
  // Checked again as an idle connection is leased: its server may have
  // gone away (a restart, say) while it waited, and a dead connection
  // would fail the call that took it.
  std::function<bool(Connection*)> alive = [](Connection*) { return true; };
  // Whether what broke this connection (a disk gone read-only, say) has
  // spoilt every connection opened before it too, used or not: then they
  // are all closed, idle ones at once and leased ones when given back, so
  // none fails a call after the fault has passed.
  std::function<bool(Connection*)> spoilsOthers = [](Connection*) { return false; };
  std::mutex mutex;
  std::vector<Connection*> idle;
  // Bumped by each such fault; idle connections are all of the current one.
  uint64_t generation = 0;

  ~ConnectionPool() {
    for (Connection* connection : idle) close(connection);
  }
};

template <typename Connection>
struct Lease {
  ConnectionPool<Connection>& pool;
  Connection* connection = nullptr;
  uint64_t generation = 0;  // the pool's when the connection was had

  Lease(ConnectionPool<Connection>& from, std::string* error) : pool(from) {
    for (;;) {
      {
        std::lock_guard<std::mutex> lock(pool.mutex);
        generation = pool.generation;
        if (pool.idle.empty()) break;
        connection = pool.idle.back();
        pool.idle.pop_back();
      }
      if (pool.alive(connection)) break;
      pool.close(connection);
      connection = nullptr;
    }
    if (connection == nullptr) connection = pool.open(error);
  }
  ~Lease() {
    if (connection == nullptr) return;
    std::vector<Connection*> spoilt;
    const bool healthy = pool.healthy(connection);
    const bool spoilsOthers = !healthy && pool.spoilsOthers(connection);
    {
      std::lock_guard<std::mutex> lock(pool.mutex);
      if (spoilsOthers) {
        ++pool.generation;
        spoilt.swap(pool.idle);
      }
      if (healthy && generation == pool.generation) {
        pool.idle.push_back(connection);
        connection = nullptr;
      }
    }
    if (connection != nullptr) pool.close(connection);
    for (Connection* other : spoilt) pool.close(other);
  }
  Lease(const Lease&) = delete;
  Lease& operator=(const Lease&) = delete;
};

}  // namespace qm
