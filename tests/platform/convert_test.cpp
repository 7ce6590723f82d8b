#include "platform/convert.h"

#include <gtest/gtest.h>

#include "platform/exception.h"

namespace {

TEST(StrToInt, AcceptsOnlyAWholeNumber) {
  EXPECT_EQ(platform::StrToInt("42"), 42);
  EXPECT_EQ(platform::StrToInt(" -7 "), -7);
  EXPECT_EQ(platform::StrToInt("+2147483647"), 2147483647);
  EXPECT_EQ(platform::StrToInt("-2147483648"), -2147483647 - 1);
  for (const char* bad : {"", " ", "-", "4 2", "12x", "x12", "2147483648", "99999999999999999999"}) {
    EXPECT_THROW(platform::StrToInt(bad), platform::EConvertError) << '"' << bad << '"';
  }
}

TEST(StrToInt, MessageNamesTheText) {
  try {
    platform::StrToInt("abc");
    FAIL();
  } catch (const platform::EConvertError& e) {
    EXPECT_STREQ(e.what(), "'abc' is not a valid integer value");
  }
}

TEST(AtoI, StopsAtTheFirstOtherCharacter) {
  struct Case {
    const char* text;
    int32_t expected;
  } const cases[] = {{"", 0},
                     {"none", 0},
                     {"  35", 35},
                     {"-1", -1},
                     {"+8x", 8},
                     {"007", 7},
                     {"12 34", 12},
                     {"\t-2%", -2},
                     {"- 3", 0},
                     {"99999999999", 2147483647},
                     {"-99999999999", -2147483647 - 1}};
  for (const Case& c : cases) EXPECT_EQ(platform::AtoI(c.text), c.expected) << c.text;
}

}  // namespace
