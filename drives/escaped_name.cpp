#include "drives/escaped_name.h"

#include <cstdio>

#include "platform/text.h"

namespace qm {
namespace {

void AppendHex(std::string& text, unsigned char byte) {
  char escape[8];
  std::snprintf(escape, sizeof escape, "\\x%02x", byte);
  text += escape;
}

}  // namespace

std::string EscapedName(std::string_view name) {
  std::string shown;
  shown.reserve(name.size());
  size_t at = 0;
  while (at < name.size()) {
    const auto byte = static_cast<unsigned char>(name[at]);
    if (byte < 0x80) {
      switch (byte) {
        case '\\': shown += "\\\\"; break;
        case '\n': shown += "\\n"; break;
        case '\r': shown += "\\r"; break;
        case '\t': shown += "\\t"; break;
        default:
          if (byte < 0x20 || byte == 0x7F)
            AppendHex(shown, byte);
          else
            shown += static_cast<char>(byte);
      }
      ++at;
      continue;
    }
    size_t length;
    const uint32_t code = DecodeUtf8(name, at, &length);
    // Bytes that are not UTF-8, and the C1 controls U+0080..U+009F, are written out.
    if (code == INVALID_UTF8 || code <= 0x9F) {
      for (size_t i = 0; i < length; ++i) AppendHex(shown, static_cast<unsigned char>(name[at + i]));
      at += length;
      continue;
    }
    shown.append(name.substr(at, length));
    at += length;
  }
  return shown;
}

}  // namespace qm
