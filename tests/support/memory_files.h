// Test support: files kept in memory instead of on a drive.
//
//   MemoryFiles memory;                      // in force until it goes out of scope
//   ... code under test writes "info.txt" ...
//   memory.Content(u"info.txt")  ->  the bytes written
//
// Opening an existing file for creation truncates it; modes that open an
// existing file fail when there is none; sharing is not enforced. The
// current directory is "/memory". Many threads may work on different files
// at once; one open file belongs to one thread at a time.
#pragma once

#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/text.h"

namespace qm {

class MemoryFiles {
 public:
  MemoryFiles();
  ~MemoryFiles();
  MemoryFiles(const MemoryFiles&) = delete;
  MemoryFiles& operator=(const MemoryFiles&) = delete;

  bool Exists(const Text& path) const;
  std::string Content(const Text& path) const;  // empty when missing
  void Put(const Text& path, const std::string& content);
  std::vector<Text> Names() const;  // sorted
  int OpenHandles() const;

 private:
  FileOps replaced_;
};

}  // namespace qm
