// Numbers and texts taken from a request's path and query, refused unless
// they are exactly what the board expects.
#pragma once

#include <cstdint>
#include <string>

namespace qm {

// A decimal whole number of 1 to 18 digits from minimum to maximum; an
// empty text gives fallback. Anything else (signs, spaces, other digits,
// overflow) is refused.
bool ParseWholeNumber(const std::string& text, int64_t minimum, int64_t maximum, int64_t fallback,
                      int64_t* value);

// "AVERAGE-ID", the result a page follows (?after=): two whole numbers as
// ParseWholeNumber takes them, from 1. An empty text gives *given false.
bool ParseAfter(const std::string& text, bool* given, int64_t* averageMs, int64_t* id);

constexpr size_t MAX_SEARCH_BYTES = 200;
constexpr int64_t MAX_LIST_LIMIT = 500;
constexpr int64_t MAX_LIST_OFFSET = 1000000000000;  // far beyond any board, well inside 64 bits
constexpr int64_t MAX_PAGE_NUMBER = 1000000000;

}  // namespace qm
