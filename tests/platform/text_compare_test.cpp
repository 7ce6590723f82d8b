#include "platform/text_compare.h"

#include <gtest/gtest.h>

namespace {

TEST(TextCompare, CaseSensitiveCollationPutsLowerCaseFirstAndIgnoresAsciiOrder) {
  EXPECT_LT(platform::lstrcmpW(u"nas", u"NAS"), 0);
  EXPECT_GT(platform::lstrcmpW(u"NAS", u"nas"), 0);
  EXPECT_EQ(platform::lstrcmpW(u"NAS-220", u"NAS-220"), 0);
  // A byte order would put "Z" before "a"; the collation does not.
  EXPECT_LT(platform::lstrcmpW(u"alpha NAS", u"Zeta NAS"), 0);
  EXPECT_LT(platform::lstrcmpW(u"\u00c4rger NAS", u"Bravo NAS"), 0);
}

// A word sort: hyphen and apostrophe weigh almost nothing; other signs, the blank among them,
// sort as signs before digits and letters.
TEST(TextCompare, HyphensAndApostrophesWeighOnlyBetweenOtherwiseEqualTexts) {
  const struct {
    const char16_t* a;
    const char16_t* b;
  } kBefore[] = {
      {u"NAS120", u"NAS-220"}, {u"NAS-120", u"NAS220"}, {u"NASA", u"NAS-B"}, {u"coop", u"co-op"},
      {u"co-op", u"co--op"},   {u"NAS 2", u"NAS1"},     {u"NAS_2", u"NAS1"}, {u"nas-1", u"NAS-1"},
  };
  for (const auto& c : kBefore) {
    EXPECT_LT(platform::lstrcmpW(c.a, c.b), 0) << "expected before";
    EXPECT_GT(platform::lstrcmpW(c.b, c.a), 0) << "expected after";
  }
  EXPECT_EQ(platform::lstrcmpW(u"it's", u"it's"), 0);
}

TEST(TextCompare, UpperCasingReachesBeyondAscii) {
  std::u16string text = u"nas-\u00e4\u00f6 \u043d\u0430\u0441";
  platform::CharUpperBuffW(text);
  EXPECT_EQ(text, u"NAS-\u00c4\u00d6 \u041d\u0410\u0421");
}

}  // namespace
