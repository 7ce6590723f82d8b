#include "platform/ansi.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/code_page.h"
#include "platform/unicode.h"

namespace {

using platform::AnsiString;

TEST(CodePage, FollowsTheLanguageOfTheLocaleAsWindowsDoes) {
  struct Case {
    const char* locale;
    int code_page;
  } const cases[] = {
      {"en_US.UTF-8", 1252},    {"de_DE@euro", 1252}, {"fr_CA", 1252}, {"pl_PL.UTF-8", 1250}, {"cs_CZ", 1250},
      {"ru_RU.UTF-8", 1251},    {"uk_UA", 1251},      {"sr_RS", 1251}, {"sr_RS@latin", 1250}, {"uz_UZ", 1254},
      {"uz_UZ@cyrillic", 1251}, {"el_GR", 1253},      {"tr_TR", 1254}, {"he_IL", 1255},       {"ar_EG.UTF-8", 1256},
      {"lt_LT", 1257},          {"vi_VN", 1258},      {"th_TH", 874},  {"ja_JP.eucJP", 932},  {"ko_KR", 949},
      {"zh_CN.UTF-8", 936},     {"zh_SG", 936},       {"zh", 936},     {"zh_TW.UTF-8", 950},  {"zh_HK.big5hkscs", 950},
      {"zh-Hant", 950},         {"ZH_tw", 950},       {"hi_IN", 1252}, {"C", 1252},           {"C.UTF-8", 1252},
      {"POSIX", 1252},          {"", 1252},
  };
  for (const Case& c : cases) EXPECT_EQ(platform::CodePageForLocale(c.locale), c.code_page) << c.locale;
}

TEST(CodePage, TheFirstSetLocaleVariableOfTheCharacterTypeWins) {
  EXPECT_EQ(platform::CodePageForLocaleVariables("ru_RU", "de_DE", "zh_CN"), 1251);
  EXPECT_EQ(platform::CodePageForLocaleVariables("", "de_DE", "zh_CN"), 1252);
  EXPECT_EQ(platform::CodePageForLocaleVariables(nullptr, nullptr, "zh_CN"), 936);
  EXPECT_EQ(platform::CodePageForLocaleVariables(nullptr, nullptr, nullptr), 1252);
}

TEST(CodePage, CanBeFixedAndReleasedAgain) {
  const int from_locale = platform::SystemCodePage();
  platform::SetSystemCodePage(1251);
  EXPECT_EQ(platform::SystemCodePage(), 1251);
  EXPECT_EQ(platform::ToAnsi("Да").bytes(), "\xC4\xE0");
  platform::SetSystemCodePage(0);
  EXPECT_EQ(platform::SystemCodePage(), from_locale);
  EXPECT_THROW(platform::SetSystemCodePage(65001), std::invalid_argument) << "UTF-8 is no ANSI code page";
}

TEST(AnsiConversion, MapsWhatTheCodePageHoldsAndMarksTheRest) {
  struct Case {
    int code_page;
    const char* utf8;
    const char* ansi;
  } const cases[] = {
      {1252, "Grüße, 10 €",
       "Gr\xFC\xDF"
       "e, 10 \x80"},
      {1252, "Łódź",
       "?\xF3"
       "d?"},  // no best fit: Ł and ź are not "L" and "z"
      {1252, "中文", "??"},
      {1252, "NAS 😀", "NAS ??"},  // one mark per UTF-16 unit of the character
      {1250, "Łódź",
       "\xA3\xF3"
       "d\x9F"},
      {1251, "Сеть", "\xD1\xE5\xF2\xFC"},
      {1251, "Größe", "Gr??e"},
      {936, "中文 NAS", "\xD6\xD0\xCE\xC4 NAS"},
      {950, "中文", "\xA4\xA4\xA4\xE5"},
      {1252, "bad \xFF byte", "bad ? byte"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(platform::ToAnsi(c.utf8, c.code_page).bytes(), c.ansi) << c.code_page << " " << c.utf8;
  }
}

TEST(AnsiConversion, BackToUtf8RestoresWhatWasKept) {
  struct Case {
    int code_page;
    const char* utf8;
  } const cases[] = {{1252, "Grüße, 10 € « » ©"}, {1250, "Zażółć gęślą jaźń"}, {1251, "Настройка сети"},
                     {936, "网络设置"},           {950, "網路設定"},           {1252, ""}};
  for (const Case& c : cases) {
    EXPECT_EQ(platform::FromAnsi(platform::ToAnsi(c.utf8, c.code_page), c.code_page), c.utf8) << c.code_page;
  }
  EXPECT_EQ(platform::FromAnsi(AnsiString("\x81"), 1252), "\u0081") << "1252 keeps its undefined bytes as controls";
  EXPECT_EQ(platform::FromAnsi(AnsiString("a\xD6"), 936), "a?") << "a lead byte without its trail byte";
}

// The UTF-16 text of UTF-8 bytes: a four-byte character takes two units, and every bad sequence
// becomes one U+FFFD.
TEST(Utf8ToUtf16, GivesEveryCharacterAndReplacesWhatIsNotUtf8) {
  const struct {
    std::string utf8;
    std::u16string utf16;
  } cases[] = {
      {"", u""},
      {"Next", u"Next"},
      {"Grüße €", u"Grüße €"},
      {"\xF0\x9F\x98\x80", u"\xD83D\xDE00"},
      {"a\xF0\x9F\x98\x80\xF0\x9F\x98\x80", u"a\xD83D\xDE00\xD83D\xDE00"},
      {"\xFF\xFE", u"\xFFFD\xFFFD"},
      {"ab\xE2\x82", u"ab\xFFFD"},
      {"\xC3", u"\xFFFD"},
  };
  for (const auto& c : cases) EXPECT_EQ(platform::Utf8ToUtf16(c.utf8), c.utf16) << c.utf8;
}

TEST(AnsiString, JoinsAndComparesAsBytes) {
  const AnsiString joined = AnsiString("Device Found: ") + AnsiString("3");
  EXPECT_EQ(joined.bytes(), "Device Found: 3");
  EXPECT_STREQ(joined.c_str(), "Device Found: 3");
  EXPECT_LT(AnsiString("\x41"), AnsiString("\xC4"));
  EXPECT_EQ(AnsiString(std::string("a\0b", 3)).size(), 3u);
  EXPECT_TRUE(AnsiString().empty());
}

}  // namespace
