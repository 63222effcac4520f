#include <gtest/gtest.h>

#include "drives/capacity.h"

namespace qm {
namespace {

TEST(FormatCapacity, GibibytesWithThreeDecimalsAfterSinglePrecisionRounding) {
  struct Case {
    int64_t bytes;
    const char16_t* shown;
  };
  const Case cases[] = {
      {500107862016, u"465.762"},
      {15931539456, u"14.837"},
      {0, u"0.000"},
      {1073741824, u"1.000"},
      {1610612736, u"1.500"},
      // Rounded to 24 significant bits before dividing; in double precision
      // this would be 3279.501.
      {3521336848723, u"3279.500"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatCapacity(c.bytes), c.shown) << c.bytes;
}

}  // namespace
}  // namespace qm
