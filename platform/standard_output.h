// The process's standard output as a byte stream: no text-mode translation
// of line ends, on any system.
#pragma once

#include <cstddef>

namespace qm {

// Writes size bytes to standard output. Returns false unless all were written.
bool WriteStandardOutput(const void* data, size_t size);

}  // namespace qm
