// Test support: the file operations in force, with every write call
// counted by the file it goes to and by its size.
//
//   CountingFiles counted;                    // wraps the table in force
//   ... code under test writes ...
//   counted.WritesBySize()                    // {1: 2097152}: size -> calls
//   counted.WritesTo(u"file_3_7.qkw")         // calls on files of that name
//
// The destructor puts the wrapped table back. Safe for calls from many
// threads.
#pragma once

#include <cstdint>
#include <map>

#include "platform/files.h"
#include "platform/text.h"

namespace qm {

class CountingFiles {
 public:
  CountingFiles();
  ~CountingFiles();
  CountingFiles(const CountingFiles&) = delete;
  CountingFiles& operator=(const CountingFiles&) = delete;

  std::map<uint32_t, int64_t> WritesBySize() const;  // bytes per call -> calls
  std::map<Text, int64_t> WritesByFile() const;      // name as opened -> calls

 private:
  FileOps wrapped_;
};

}  // namespace qm
