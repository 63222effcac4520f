// Where deep pages of a ranking start. Reaching page 1,000 of the
// leaderboard by offset walks 50,000 index entries, 35 ms in PostgreSQL at
// a million results, for every reader of it. Once found, the result just
// before a page lets the next request for that page enter the index there,
// as ?after= does. A start holds while its ranking has the count it was
// found at, for a minute at most; a delete in this process forgets all.
#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_map>

namespace qm {

// Offsets from here on are deep enough to keep their starts.
constexpr int64_t DEEP_PAGE_OFFSET = 1000;

struct PageStart {
  int64_t total = 0;  // the ranking's count when it was found
  int64_t averageMs = 0;
  int64_t id = 0;
  std::chrono::steady_clock::time_point noted;
};

struct PageStarts {
  std::mutex mutex;
  std::unordered_map<std::string, PageStart> kept;  // by drive model ("" for all) and offset
};

std::string PageKey(const std::string& driveModel, int64_t offset);

bool FindPageStart(PageStarts* starts, const std::string& key, PageStart* start);
void NotePageStart(PageStarts* starts, const std::string& key, PageStart start);
void ForgetPageStarts(PageStarts* starts);

}  // namespace qm
