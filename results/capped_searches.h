// Searches known to match more than SEARCH_TOTAL_CAP results. Counting a
// common text's matches up to the cap is most of what its search costs (a
// few milliseconds at a million results, paid by every page of it). A text
// over the cap stays over it as results arrive, so for a minute it is not
// counted again; a delete in this process forgets them all at once.
#pragma once

#include <chrono>
#include <mutex>
#include <string>
#include <unordered_map>

namespace qm {

struct CappedSearches {
  std::mutex mutex;
  std::unordered_map<std::string, std::chrono::steady_clock::time_point> noted;
};

// The key of a search: its folded text and drive model.
std::string SearchKey(const std::string& text, const std::string& driveModel);

bool KnownCapped(CappedSearches* searches, const std::string& key);
void NoteCapped(CappedSearches* searches, const std::string& key);
void ForgetCapped(CappedSearches* searches);

}  // namespace qm
