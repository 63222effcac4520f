#include "platform/text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace qm {
namespace {

TEST(Text, DecimalHasNoGroupingPaddingOrSign) {
  EXPECT_EQ(DecimalText(int64_t{0}), u"0");
  EXPECT_EQ(DecimalText(int64_t{2097152}), u"2097152");
  EXPECT_EQ(DecimalText(int64_t{-42}), u"-42");
  EXPECT_EQ(DecimalText(INT64_MIN), u"-9223372036854775808");
  EXPECT_EQ(DecimalText(UINT64_MAX), u"18446744073709551615");
}

TEST(Text, Utf8RoundTripsEveryPlane) {
  const Text samples[] = {u"", u"plain", u"Z:\\Bänch\\テスト", u"\U0001F600 smile", u"\u00e9\u20ac"};
  for (const Text& sample : samples) EXPECT_EQ(FromUtf8(Utf8(sample)), sample);
  EXPECT_EQ(Utf8(u"\u20ac"), "\xE2\x82\xAC");
}

TEST(Text, BrokenInputBecomesReplacementCharacters) {
  EXPECT_EQ(Utf8(Text(1, char16_t(0xD800))), "\xEF\xBF\xBD");    // lone high surrogate
  EXPECT_EQ(FromUtf8("a\xE2\x82"), u"a\uFFFD\uFFFD");            // truncated sequence
  EXPECT_EQ(FromUtf8("\xC0\xAF"), u"\uFFFD\uFFFD");              // overlong form
  EXPECT_EQ(FromUtf8("\xED\xA0\x80x"), u"\uFFFD\uFFFD\uFFFDx");  // encoded surrogate
}

// The one decoder every UTF-8 reader uses: what it takes, and what it leaves
// to its callers' rules.
TEST(Text, DecodeUtf8TakesOnlyWellFormedSequences) {
  struct Case {
    const char* what;
    std::string bytes;
    uint32_t code;  // INVALID_UTF8 when none starts at byte 0
    size_t length;
  };
  const Case cases[] = {
      {"ASCII", "A", 'A', 1},
      {"NUL is a code point (IsUtf8Text refuses it)", std::string(1, '\0'), 0, 1},
      {"two bytes", "\xC3\xA9", 0xE9, 2},
      {"three bytes", "\xE2\x82\xAC", 0x20AC, 3},
      {"four bytes", "\xF0\x9F\x98\x80", 0x1F600, 4},
      {"the highest code point", "\xF4\x8F\xBF\xBF", 0x10FFFF, 4},
      {"a bidi override decodes (CleanText hides it)", "\xE2\x80\xAE", 0x202E, 3},
      {"beyond U+10FFFF", "\xF4\x90\x80\x80", INVALID_UTF8, 1},
      {"five-byte lead", "\xF8\x88\x80\x80\x80", INVALID_UTF8, 1},
      {"overlong slash", "\xC0\xAF", INVALID_UTF8, 1},
      {"overlong three bytes", "\xE0\x80\xAF", INVALID_UTF8, 1},
      {"overlong four bytes", "\xF0\x80\x80\xAF", INVALID_UTF8, 1},
      {"encoded surrogate", "\xED\xA0\x80", INVALID_UTF8, 1},
      {"stray continuation", "\x80", INVALID_UTF8, 1},
      {"truncated at the end", "\xE2\x82", INVALID_UTF8, 1},
      {"truncated by ASCII", "\xE2\x82x", INVALID_UTF8, 1},
  };
  for (const Case& c : cases) {
    size_t length = 99;
    EXPECT_EQ(DecodeUtf8(c.bytes, 0, &length), c.code) << c.what;
    EXPECT_EQ(length, c.length) << c.what;
    EXPECT_EQ(IsUtf8Text(c.bytes), c.code != INVALID_UTF8 && c.code != 0) << c.what;
  }
  // Decoding starts where it is told, and never reads past the end.
  size_t length = 0;
  EXPECT_EQ(DecodeUtf8("ab\xC3\xA9", 2, &length), 0xE9u);
  EXPECT_EQ(length, 2u);
  EXPECT_EQ(DecodeUtf8(std::string_view("\xC3\xA9", 1), 0, &length), INVALID_UTF8);
}

}  // namespace
}  // namespace qm
