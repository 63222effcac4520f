#include "results/page_starts.h"

namespace qm {
namespace {

constexpr auto KEPT_FOR = std::chrono::seconds(60);
constexpr size_t MAX_KEPT = 4096;  // pages; beyond, all are forgotten

}  // namespace

std::string PageKey(const std::string& driveModel, int64_t offset) {
  return driveModel + '\0' + std::to_string(offset);
}

bool FindPageStart(PageStarts* starts, const std::string& key, PageStart* start) {
  std::lock_guard<std::mutex> lock(starts->mutex);
  const auto found = starts->kept.find(key);
  if (found == starts->kept.end()) return false;
  if (std::chrono::steady_clock::now() - found->second.noted >= KEPT_FOR) {
    starts->kept.erase(found);
    return false;
  }
  *start = found->second;
  return true;
}

void NotePageStart(PageStarts* starts, const std::string& key, PageStart start) {
  start.noted = std::chrono::steady_clock::now();
  std::lock_guard<std::mutex> lock(starts->mutex);
  if (starts->kept.size() >= MAX_KEPT) starts->kept.clear();
  starts->kept[key] = start;
}

void ForgetPageStarts(PageStarts* starts) {
  std::lock_guard<std::mutex> lock(starts->mutex);
  starts->kept.clear();
}

}  // namespace qm
