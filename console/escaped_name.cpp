#include "console/escaped_name.h"

#include <cstdio>

namespace qm {
namespace {

void AppendHex(std::string& text, unsigned char byte) {
  char escape[8];
  std::snprintf(escape, sizeof escape, "\\x%02x", byte);
  text += escape;
}

// The length of the well-formed UTF-8 sequence at the start of bytes, 0
// when it is not one (overlong forms and surrogates included).
size_t SequenceLength(std::string_view bytes) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
  const auto continuation = [&](size_t i) { return i < bytes.size() && (byte(i) & 0xC0) == 0x80; };
  const unsigned char lead = byte(0);
  if (lead >= 0xC2 && lead <= 0xDF) return continuation(1) ? 2 : 0;
  if (lead >= 0xE0 && lead <= 0xEF) {
    if (!continuation(1) || !continuation(2)) return 0;
    if ((lead == 0xE0 && byte(1) < 0xA0) || (lead == 0xED && byte(1) >= 0xA0)) return 0;
    return 3;
  }
  if (lead >= 0xF0 && lead <= 0xF4) {
    if (!continuation(1) || !continuation(2) || !continuation(3)) return 0;
    if ((lead == 0xF0 && byte(1) < 0x90) || (lead == 0xF4 && byte(1) >= 0x90)) return 0;
    return 4;
  }
  return 0;
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
    const size_t length = SequenceLength(name.substr(at));
    // U+0080..U+009F, the C1 controls, are C2 80..C2 9F in UTF-8.
    const bool control = length == 2 && byte == 0xC2 && static_cast<unsigned char>(name[at + 1]) < 0xA0;
    if (length == 0 || control) {
      for (size_t i = 0; i < (length == 0 ? 1 : length); ++i)
        AppendHex(shown, static_cast<unsigned char>(name[at + i]));
      at += length == 0 ? 1 : length;
      continue;
    }
    shown.append(name.substr(at, length));
    at += length;
  }
  return shown;
}

}  // namespace qm
