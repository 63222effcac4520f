#include "tests/support/scratch_folder.h"

#include <chrono>
#include <string>
#include <system_error>

namespace qm {

ScratchFolder::ScratchFolder() : previous_(std::filesystem::current_path()), owned_(true) {
  // Unique across processes (ctest may run test programs side by side).
  const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
  for (int attempt = 0; attempt < 1000; ++attempt) {
    path_ = std::filesystem::temp_directory_path() /
            ("qm_scratch_" + std::to_string(now) + "_" + std::to_string(attempt));
    std::error_code error;
    if (std::filesystem::create_directory(path_, error)) break;
  }
  std::filesystem::current_path(path_);
}

ScratchFolder::ScratchFolder(const std::filesystem::path& existing)
    : previous_(std::filesystem::current_path()), path_(existing) {
  std::filesystem::current_path(path_);
}

ScratchFolder::~ScratchFolder() {
  std::error_code error;
  std::filesystem::current_path(previous_, error);
  if (owned_) std::filesystem::remove_all(path_, error);
}

}  // namespace qm
