#include "results/pages/html_text.h"

#include <cstdint>

namespace qm {

namespace {

constexpr char REPLACEMENT[] = "\xEF\xBF\xBD";

// Length of the well-formed UTF-8 sequence at text[i], 0 when there is none;
// the code point in *codePoint.
size_t SequenceAt(std::string_view text, size_t i, uint32_t* codePoint) {
  const auto byte = [&](size_t k) { return static_cast<uint8_t>(text[k]); };
  const uint8_t lead = byte(i);
  size_t length = 0;
  uint32_t value = 0;
  uint32_t minimum = 0;
  if (lead < 0x80) {
    *codePoint = lead;
    return 1;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, value = lead & 0x1F, minimum = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, value = lead & 0x0F, minimum = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, value = lead & 0x07, minimum = 0x10000;
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  for (size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    value = (value << 6) | (byte(i + k) & 0x3F);
  }
  if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
  *codePoint = value;
  return length;
}

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
    uint32_t c = 0;
    const size_t length = SequenceAt(text, i, &c);
    if (length == 0) {
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

std::string EscapeHtml(std::string_view text) {
  const std::string clean = CleanText(text);
  std::string escaped;
  escaped.reserve(clean.size() + clean.size() / 8);
  for (char c : clean) {
    switch (c) {
      case '&': escaped += "&amp;"; break;
      case '<': escaped += "&lt;"; break;
      case '>': escaped += "&gt;"; break;
      case '"': escaped += "&quot;"; break;
      case '\'': escaped += "&#39;"; break;
      default: escaped += c;
    }
  }
  return escaped;
}

std::string PercentEncode(std::string_view text) {
  static const char HEX[] = "0123456789ABCDEF";
  std::string encoded;
  for (unsigned char c : text) {
    const bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                            c == '-' || c == '.' || c == '_' || c == '~';
    if (unreserved) {
      encoded += static_cast<char>(c);
    } else {
      encoded += '%';
      encoded += HEX[c >> 4];
      encoded += HEX[c & 15];
    }
  }
  return encoded;
}

}  // namespace qm
