// What a board process keeps for a minute at most, by key: figures found at
// some cost that stay true while the database changes in the ways they
// allow for (see capped_searches.h and page_starts.h). Beyond KEPT_AT_MOST
// keys all are forgotten at once; a delete in this process forgets all.
#pragma once

#include <chrono>
#include <cstddef>
#include <mutex>
#include <string>
#include <unordered_map>
#include <utility>

namespace qm {

constexpr auto KEPT_FOR = std::chrono::seconds(60);
constexpr size_t KEPT_AT_MOST = 4096;

template <typename Value>
struct KeptForAMinute {
  std::mutex mutex;
  std::unordered_map<std::string, std::pair<Value, std::chrono::steady_clock::time_point>> kept;
};

// true, with *value, when key was kept less than a minute ago.
template <typename Value>
bool FindKept(KeptForAMinute<Value>* keep, const std::string& key, Value* value) {
  std::lock_guard<std::mutex> lock(keep->mutex);
  const auto found = keep->kept.find(key);
  if (found == keep->kept.end()) return false;
  if (std::chrono::steady_clock::now() - found->second.second >= KEPT_FOR) {
    keep->kept.erase(found);
    return false;
  }
  *value = found->second.first;
  return true;
}

template <typename Value>
void Keep(KeptForAMinute<Value>* keep, const std::string& key, const Value& value) {
  std::lock_guard<std::mutex> lock(keep->mutex);
  if (keep->kept.size() >= KEPT_AT_MOST) keep->kept.clear();
  keep->kept[key] = {value, std::chrono::steady_clock::now()};
}

template <typename Value>
void ForgetKept(KeptForAMinute<Value>* keep) {
  std::lock_guard<std::mutex> lock(keep->mutex);
  keep->kept.clear();
}

}  // namespace qm
