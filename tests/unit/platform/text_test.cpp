#include "platform/text.h"

#include <gtest/gtest.h>

#include <cstdint>

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

}  // namespace
}  // namespace qm
