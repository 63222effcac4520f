// Files: the operations the program performs on files in the current
// directory, as a table of functions. The table in force can be replaced
// (tests wrap it to make chosen operations fail); the backend of the
// platform this program is built for provides the native table.
#pragma once

#include <cstdint>

#include "platform/text.h"

namespace qm {

// An open file. nullptr stands for "could not be opened".
using FileHandle = struct FileObject*;

enum class OpenMode {
  // Read and write, shared for read, write and delete, created anew or
  // truncated (CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL). Test files, "tmp.tmp".
  CreateAlwaysReadWrite,
  // Write only, the same sharing, an existing file truncated
  // (TRUNCATE_EXISTING, attributes 0). The second try for test files.
  TruncateExistingWrite,
  // Read only, no sharing, an existing file (OPEN_EXISTING).
  OpenExistingReadExclusive,
  // Write only, created anew or truncated, shared for reading (reports).
  CreateAlwaysWrite,
  // Read only, shared for reading, an existing file.
  OpenExistingRead,
  // Read and write, no sharing, an existing file or, when there is none, a
  // new empty one (OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL). A report about to be
  // encrypted into its validation file.
  OpenAlwaysReadWriteExclusive,
  // Read and write, no sharing, created anew or truncated (CREATE_ALWAYS,
  // FILE_ATTRIBUTE_NORMAL). Text reports and validation files.
  CreateAlwaysReadWriteExclusive,
  // Write only, no sharing, an existing file truncated (TRUNCATE_EXISTING).
  // The second try for validation files.
  TruncateExistingWriteExclusive,
};

struct FileOps {
  // Opens path (relative to the current directory, or absolute).
  // Returns nullptr on failure.
  FileHandle (*open)(const Text& path, OpenMode mode);

  // Writes size bytes; returns true when all of them were written. No
  // buffering of our own: one call is one system write.
  bool (*write)(FileHandle file, const void* data, uint32_t size);

  // Reads up to size bytes into data; stores the count read in *done.
  // Returns false on a read error (end of file is success with *done 0).
  bool (*read)(FileHandle file, void* data, uint32_t size, uint32_t* done);

  // The file's size in bytes, high part included. Returns false on failure.
  bool (*size)(FileHandle file, uint64_t* bytes);

  // Closes the handle. nullptr is ignored.
  void (*close)(FileHandle file);

  // Deletes path. Returns false when it could not (missing file included).
  bool (*remove)(const Text& path);

  // The current directory, as the system spells it. Empty on failure.
  Text (*currentDirectory)();
};

// The table in force. Safe to read from any thread; replaced only while no
// other thread of the program runs (tests).
const FileOps& Files();

// The backend's own table.
const FileOps& NativeFileOps();

// Puts ops in force; returns the table it replaced.
FileOps SetFileOps(const FileOps& ops);

}  // namespace qm
