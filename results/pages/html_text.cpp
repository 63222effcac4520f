#include "results/pages/html_text.h"

namespace qm {

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
