// Whole files in one go, through the file table in force.
#pragma once

#include <string>

#include "platform/files.h"
#include "platform/text.h"

namespace qm {

// Opens path with mode and writes bytes. Returns false when the file could
// not be opened or not all bytes were written (the file is left as it is).
bool WriteWholeFile(const Text& path, OpenMode mode, const std::string& bytes);

// Reads an existing file into *bytes. Returns false when it cannot be read.
bool ReadWholeFile(const Text& path, std::string* bytes);

}  // namespace qm
