#include "results/pages/html_text.h"

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
