#include "results/clean_text.h"

#include <cstdint>

#include "platform/text.h"

namespace qm {
namespace {

constexpr char REPLACEMENT[] = "\xEF\xBF\xBD";

bool Hidden(uint32_t c) {
  if (c == '\t' || c == '\n') return false;
  if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) return true;
  return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

}  // namespace

std::string CleanText(std::string_view text) {
  std::string clean;
  clean.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    size_t length;
    const uint32_t c = DecodeUtf8(text, i, &length);
    if (c == INVALID_UTF8) {
      clean += REPLACEMENT;
      ++i;
      continue;
    }
    if (c == '\r') {
      // CR LF is one line break; a lone CR, as the drive list has between
      // drives, is one too.
      if (i + 1 >= text.size() || text[i + 1] != '\n') clean += '\n';
    } else if (Hidden(c)) {
      clean += REPLACEMENT;
    } else {
      clean.append(text.substr(i, length));
    }
    i += length;
  }
  return clean;
}

}  // namespace qm
