// Row layout of 24-bit pictures, shared by every backend.
#include "platform/window_capture.h"

namespace qm {

size_t RowBytes(int32_t width) {
  if (width <= 0) return 0;
  return (static_cast<size_t>(width) * 3 + 3) & ~static_cast<size_t>(3);
}

}  // namespace qm
