// Searches known to match more than SEARCH_TOTAL_CAP results. Counting a
// common text's matches up to the cap is most of what its search costs (a
// few milliseconds at a million results, paid by every page of it). A text
// over the cap stays over it as results arrive, so for a minute it is not
// counted again; a delete in this process forgets them all at once.
#pragma once

#include <string>

#include "results/kept_for_a_minute.h"

namespace qm {

using CappedSearches = KeptForAMinute<bool>;

// The key of a search: its folded text and drive model.
inline std::string SearchKey(const std::string& text, const std::string& driveModel) {
  return text + '\0' + driveModel;
}

}  // namespace qm
