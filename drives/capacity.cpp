#include "drives/capacity.h"

#include <charconv>

namespace qm {

Text FormatCapacity(int64_t bytes) {
  // The single-precision step is part of the figure shown: for large sizes
  // it changes the third decimal.
  float gib = static_cast<float>(bytes) / 1073741824.0f;
  char digits[64];
  auto result =
      std::to_chars(digits, digits + sizeof digits, static_cast<double>(gib), std::chars_format::fixed, 3);
  return Ascii(std::string_view(digits, static_cast<size_t>(result.ptr - digits)));
}

}  // namespace qm
