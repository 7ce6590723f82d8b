#include <gtest/gtest.h>

#include <string>

#include "language_test_support.h"
#include "platform/code_page.h"
#include "platform/virtual_clock.h"
#include "text/language_keys.h"
#include "text/language_loader.h"
#include "text/language_strings.h"
#include "toolkit/ini_file.h"

namespace {

// The language file as it ships beside the program.
const TIniFile kShipped(ORVO_SHIPPED_LANGUAGE_FILE);
constexpr const char* kAbsent = "<absent from the file>";

constexpr const char* kTranslations[] = {"German", "French", "Russian", "Chinese(Simplified)"};

TEST(ShippedLanguageFile, EveryTranslationHasEveryKey) {
  for (const char* language : kTranslations) {
    for (const LanguageKey& row : LanguageKeys()) {
      const std::string value = kShipped.ReadString(language, std::string(row.key), kAbsent);
      EXPECT_NE(value, kAbsent) << language << " lacks " << row.key;
      EXPECT_FALSE(value.empty()) << language << " " << row.key;
    }
  }
}

TEST(ShippedLanguageFile, TheEnglishSectionSaysWhatTheDefaultsSay) {
  for (const LanguageKey& row : LanguageKeys()) {
    if (row.key == "str_Msg3") {
      EXPECT_EQ(kShipped.ReadString("English", "str_Msg3", kAbsent), kAbsent) << "its line break cannot be written";
      continue;
    }
    if (row.key == "str_LabDNS1" && row.english == "Primary NDS: ") continue;  // the file gives the label's text
    EXPECT_EQ(kShipped.ReadString("English", std::string(row.key), kAbsent), row.english) << row.key;
  }
}

class ShippedLanguageTest : public ::testing::Test {
 protected:
  ~ShippedLanguageTest() override { platform::SetSystemCodePage(0); }
  void Load(const char* language) {
    lang_FirstPass = 0;
    LoadLanguageStringsFrom(ORVO_SHIPPED_LANGUAGE_FILE, platform::AnsiString(language));
  }
  platform::ScopedVirtualClock clock_;
  TextWindows windows_;
};

TEST_F(ShippedLanguageTest, GermanKeepsItsUmlautsInWesternCodePageSlots) {
  platform::SetSystemCodePage(1252);
  windows_.CreateAll();
  Load("German");
  EXPECT_EQ(windows_.Find({"form_Main", "btn_Back"})->Caption(), "Zurück");
  EXPECT_EQ(str_BtnApply.bytes(),
            "\xDC"
            "bernehmen");
  EXPECT_EQ(platform::FromAnsi(str_LabApplyStatus16), kShipped.ReadString("German", "str_LabApplyStatus16", ""));
}

TEST_F(ShippedLanguageTest, ChineseSlotsNeedTheChineseCodePage) {
  windows_.CreateAll();
  platform::SetSystemCodePage(1252);
  Load("Chinese(Simplified)");
  EXPECT_EQ(windows_.Find({"form_Main", "btn_Next"})->Caption(), "下一步");
  EXPECT_EQ(str_BtnNext.bytes(), "???");

  platform::SetSystemCodePage(936);
  Load("Chinese(Simplified)");
  EXPECT_EQ(platform::FromAnsi(str_BtnNext), "下一步");
  EXPECT_EQ(platform::FromAnsi(str_Msg15), kShipped.ReadString("Chinese(Simplified)", "str_Msg15", ""));
}

}  // namespace
