#include "results/utf8_check.h"

#include <cstdint>

namespace qm {

bool IsUtf8Text(std::string_view bytes) {
  const auto* at = reinterpret_cast<const uint8_t*>(bytes.data());
  const auto* end = at + bytes.size();
  while (at < end) {
    const uint8_t lead = *at++;
    if (lead == 0) return false;
    if (lead < 0x80) continue;
    int more;
    uint32_t lowest;
    uint32_t code;
    if ((lead & 0xE0) == 0xC0) {
      more = 1, lowest = 0x80, code = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
      more = 2, lowest = 0x800, code = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
      more = 3, lowest = 0x10000, code = lead & 0x07;
    } else {
      return false;
    }
    if (end - at < more) return false;
    for (int i = 0; i < more; ++i) {
      const uint8_t next = *at++;
      if ((next & 0xC0) != 0x80) return false;
      code = code << 6 | (next & 0x3F);
    }
    if (code < lowest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
  }
  return true;
}

}  // namespace qm
