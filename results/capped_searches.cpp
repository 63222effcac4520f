#include "results/capped_searches.h"

namespace qm {
namespace {

constexpr auto KEPT_FOR = std::chrono::seconds(60);
constexpr size_t MAX_KEPT = 1024;  // distinct texts; beyond, all are forgotten

}  // namespace

std::string SearchKey(const std::string& text, const std::string& driveModel) {
  return text + '\0' + driveModel;
}

bool KnownCapped(CappedSearches* searches, const std::string& key) {
  std::lock_guard<std::mutex> lock(searches->mutex);
  const auto found = searches->noted.find(key);
  if (found == searches->noted.end()) return false;
  if (std::chrono::steady_clock::now() - found->second < KEPT_FOR) return true;
  searches->noted.erase(found);
  return false;
}

void NoteCapped(CappedSearches* searches, const std::string& key) {
  std::lock_guard<std::mutex> lock(searches->mutex);
  if (searches->noted.size() >= MAX_KEPT) searches->noted.clear();
  searches->noted[key] = std::chrono::steady_clock::now();
}

void ForgetCapped(CappedSearches* searches) {
  std::lock_guard<std::mutex> lock(searches->mutex);
  searches->noted.clear();
}

}  // namespace qm
