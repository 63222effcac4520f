#include "platform/text.h"

namespace qm {

Text Ascii(std::string_view ascii) {
  Text text;
  text.reserve(ascii.size());
  for (char c : ascii) text.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
  return text;
}

Text DecimalText(uint64_t value) {
  char16_t digits[20];
  int count = 0;
  do {
    digits[count++] = static_cast<char16_t>(u'0' + value % 10);
    value /= 10;
  } while (value != 0);
  Text text;
  while (count > 0) text.push_back(digits[--count]);
  return text;
}

Text DecimalText(int64_t value) {
  if (value >= 0) return DecimalText(static_cast<uint64_t>(value));
  // Negate in unsigned arithmetic so INT64_MIN is fine too.
  Text text = DecimalText(0 - static_cast<uint64_t>(value));
  text.insert(text.begin(), u'-');
  return text;
}

namespace {

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

void AppendUtf16(Text& out, uint32_t cp) {
  if (cp < 0x10000) {
    out.push_back(static_cast<char16_t>(cp));
  } else {
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
  }
}

constexpr uint32_t REPLACEMENT = 0xFFFD;

}  // namespace

std::string Utf8(TextView text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t unit = text[i];
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      uint32_t low = text[++i];
      AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      AppendUtf8(out, REPLACEMENT);
    } else {
      AppendUtf8(out, unit);
    }
  }
  return out;
}

Text FromUtf8(std::string_view utf8) {
  Text out;
  out.reserve(utf8.size());
  size_t i = 0;
  while (i < utf8.size()) {
    auto byte = static_cast<unsigned char>(utf8[i]);
    int extra = byte < 0x80           ? 0
                : (byte >> 5) == 0x6  ? 1
                : (byte >> 4) == 0xE  ? 2
                : (byte >> 3) == 0x1E ? 3
                                      : -1;
    if (extra < 0 || i + static_cast<size_t>(extra) >= utf8.size()) {  // stray or truncated
      out.push_back(static_cast<char16_t>(REPLACEMENT));
      ++i;
      continue;
    }
    uint32_t cp = extra == 0 ? byte : byte & (0x3F >> extra);
    bool valid = true;
    for (int k = 1; k <= extra; ++k) {
      auto next = static_cast<unsigned char>(utf8[i + k]);
      if ((next & 0xC0) != 0x80) {
        valid = false;
        break;
      }
      cp = (cp << 6) | (next & 0x3F);
    }
    static constexpr uint32_t MIN_FOR_LENGTH[] = {0, 0x80, 0x800, 0x10000};
    if (!valid || cp < MIN_FOR_LENGTH[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      out.push_back(static_cast<char16_t>(REPLACEMENT));
      ++i;
      continue;
    }
    AppendUtf16(out, cp);
    i += static_cast<size_t>(extra) + 1;
  }
  return out;
}

}  // namespace qm
