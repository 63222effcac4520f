// Connections of a database for many threads: a call leases one that is
// idle, or opens another, and gives it back when done. A connection serves
// one thread at a time, as SQLite's and libpq's connections require.
#pragma once

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
  std::mutex mutex;
  std::vector<Connection*> idle;

  ~ConnectionPool() {
    for (Connection* connection : idle) close(connection);
  }
};

template <typename Connection>
struct Lease {
  ConnectionPool<Connection>& pool;
  Connection* connection = nullptr;

  Lease(ConnectionPool<Connection>& from, std::string* error) : pool(from) {
    for (;;) {
      {
        std::lock_guard<std::mutex> lock(pool.mutex);
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
    if (!pool.healthy(connection)) {
      pool.close(connection);
      return;
    }
    std::lock_guard<std::mutex> lock(pool.mutex);
    pool.idle.push_back(connection);
  }
  Lease(const Lease&) = delete;
  Lease& operator=(const Lease&) = delete;
};

}  // namespace qm
