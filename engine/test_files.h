// The test files of a cycle: their names, how they are opened, and their
// deletion.
#pragma once

#include "platform/files.h"
#include "platform/text.h"

namespace qm {

constexpr int WRITERS = 16;           // writers 1..16
constexpr int FILES_PER_WRITER = 32;  // indexes 0..31; 31 is the last of a queue
constexpr int TEST_FILE_BYTES = 4096;

// "file_" + writer + "_" + index + ".qkw", relative to the current directory.
Text TestFileName(int writer, int index);

// Opens a file for writing the way test files and "tmp.tmp" are opened:
// created anew (or replaced) for reading and writing, shared for read, write
// and delete; failing that, an existing file truncated for writing only.
// nullptr when both fail.
FileHandle OpenTestFile(const Text& name);

// Deletes every test file name of a cycle, index by index (writers 1..16
// within each index) with 2 ms after each index. Missing files and failed
// deletions are ignored.
void DeleteTestFiles();

}  // namespace qm
