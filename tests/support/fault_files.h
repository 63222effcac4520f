// Test support: the file operations in force, with chosen calls failing.
//
//   FaultyFiles faults;                          // wraps the table in force
//   faults.Fail(FileOperation::Open, 7);         // the 7th open from now fails
//   faults.Fail(FileOperation::Write, 1, FaultKind::Persistent);  // every write from now on
//   faults.Fail(FileOperation::Open, 1, FaultKind::Persistent, u"file_9_31.qkw");  // only this name
//
// A failing call does not reach the table below it and returns what the
// table promises on failure (nullptr, false, an empty text; close and a
// failing remove do nothing). The destructor puts the wrapped table back.
// Safe for calls from many threads.
#pragma once

#include "platform/files.h"
#include "platform/text.h"

namespace qm {

enum class FileOperation { Open, Write, Read, Size, Close, Remove, CurrentDirectory, COUNT };

enum class FaultKind {
  Once,        // only the nth call fails
  Persistent,  // the nth call and every later one fail
};

class FaultyFiles {
 public:
  FaultyFiles();
  ~FaultyFiles();
  FaultyFiles(const FaultyFiles&) = delete;
  FaultyFiles& operator=(const FaultyFiles&) = delete;

  // The nth call of operation from now on fails (n >= 1). With a path, only
  // calls naming that path count (open and remove). One fault per operation;
  // a new one replaces the old.
  void Fail(FileOperation operation, int nth, FaultKind kind = FaultKind::Once, const Text& path = Text());

  // Removes every fault; calls go straight through again.
  void Heal();

  // Calls of operation since the wrapper was put in force, failed ones included.
  int Calls(FileOperation operation) const;

  // Calls of operation that were made to fail.
  int Failures(FileOperation operation) const;

 private:
  FileOps wrapped_;
};

}  // namespace qm
