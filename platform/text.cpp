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

bool ParseWholeNumber(std::string_view digits, uint64_t maximum, uint64_t* value) {
  if (digits.empty()) return false;
  uint64_t number = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return false;
    const auto digit = static_cast<uint64_t>(c - '0');
    if (number > (maximum - digit) / 10) return false;  // beyond maximum, or beyond 64 bits
    number = number * 10 + digit;
  }
  *value = number;
  return true;
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

uint32_t DecodeUtf8(std::string_view bytes, size_t at, size_t* length) {
  const auto byte = [&](size_t i) { return static_cast<uint8_t>(bytes[i]); };
  const uint8_t lead = byte(at);
  *length = 1;
  if (lead < 0x80) return lead;
  size_t size;
  uint32_t code;
  uint32_t lowest;
  if ((lead & 0xE0) == 0xC0) {
    size = 2, code = lead & 0x1F, lowest = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    size = 3, code = lead & 0x0F, lowest = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    size = 4, code = lead & 0x07, lowest = 0x10000;
  } else {
    return INVALID_UTF8;
  }
  if (bytes.size() - at < size) return INVALID_UTF8;
  for (size_t i = 1; i < size; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return INVALID_UTF8;
    code = code << 6 | (byte(at + i) & 0x3F);
  }
  if (code < lowest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return INVALID_UTF8;
  *length = size;
  return code;
}

bool IsUtf8Text(std::string_view bytes) {
  size_t at = 0;
  while (at < bytes.size()) {
    size_t length;
    const uint32_t code = DecodeUtf8(bytes, at, &length);
    if (code == INVALID_UTF8 || code == 0) return false;
    at += length;
  }
  return true;
}

Text FromUtf8(std::string_view utf8) {
  Text out;
  out.reserve(utf8.size());
  size_t at = 0;
  while (at < utf8.size()) {
    size_t length;
    const uint32_t code = DecodeUtf8(utf8, at, &length);
    AppendUtf16(out, code == INVALID_UTF8 ? REPLACEMENT : code);
    at += length;
  }
  return out;
}

}  // namespace qm
