// Test support: a fresh empty folder, made the current directory for the
// life of the object, then removed with everything in it.
//
//   ScratchFolder folder;              // cwd is now .../qm_scratch_<n>
//   ScratchFolder mounted(existing);   // cwd is existing, which is kept
#pragma once

#include <filesystem>

namespace qm {

class ScratchFolder {
 public:
  ScratchFolder();
  // Makes an existing folder the current directory; it is not removed.
  explicit ScratchFolder(const std::filesystem::path& existing);
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path previous_;
  std::filesystem::path path_;
  bool owned_ = false;
};

}  // namespace qm
