// Standard output on Windows: WriteFile on the standard output handle, which
// passes bytes through unchanged (the C runtime's text mode would turn every
// LF into CR LF).
#include "platform/standard_output.h"
#include "platform/win32/wide.h"

namespace qm {

bool WriteStandardOutput(const void* data, size_t size) {
  HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  if (output == nullptr || output == INVALID_HANDLE_VALUE) return false;
  const auto* bytes = static_cast<const char*>(data);
  while (size > 0) {
    DWORD chunk = size > 0x10000000 ? 0x10000000 : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!WriteFile(output, bytes, chunk, &written, nullptr) || written == 0) return false;
    bytes += written;
    size -= written;
  }
  return true;
}

}  // namespace qm
