// Where deep pages of a ranking start. Reaching page 1,000 of the
// leaderboard by offset walks 50,000 index entries, 35 ms in PostgreSQL at
// a million results, for every reader of it. Once found, the result just
// before a page lets the next request for that page enter the index there,
// as ?after= does. A start holds while its ranking has the count it was
// found at, for a minute at most; a delete in this process forgets all.
#pragma once

#include <cstdint>
#include <string>

#include "results/kept_for_a_minute.h"

namespace qm {

// Offsets from here on are deep enough to keep their starts.
constexpr int64_t DEEP_PAGE_OFFSET = 1000;

struct PageStart {
  int64_t total = 0;  // the ranking's count when it was found
  int64_t averageMs = 0;
  int64_t id = 0;
};

using PageStarts = KeptForAMinute<PageStart>;  // by drive model ("" for all) and offset

inline std::string PageKey(const std::string& driveModel, int64_t offset) {
  return driveModel + '\0' + std::to_string(offset);
}

}  // namespace qm
