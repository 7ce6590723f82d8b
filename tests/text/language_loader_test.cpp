#include "text/language_loader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <set>

#include "language_test_support.h"
#include "platform/code_page.h"
#include "platform/exception.h"
#include "platform/exe_path.h"
#include "platform/virtual_clock.h"
#include "scratch_folder.h"
#include "text/language_strings.h"

namespace {

using platform::AnsiString;
using platform::FromAnsi;
using platform::ToAnsi;

const LanguageKey& Row(std::string_view key) {
  for (const LanguageKey& row : LanguageKeys()) {
    if (row.key == key) return row;
  }
  throw std::out_of_range(std::string(key));
}

// The value every key had in the file: the file's value when the key was there, else the row's
// English text.
using ValueOf = std::function<std::string(const LanguageKey&)>;

ValueOf FromFile(std::map<std::string, std::string> values) {
  return [values = std::move(values)](const LanguageKey& row) {
    const auto it = values.find(std::string(row.key));
    return it == values.end() ? std::string(row.english) : it->second;
  };
}

std::map<std::string, std::string> EveryKey(const std::function<std::string(std::string_view key)>& value) {
  std::map<std::string, std::string> values;
  for (const LanguageKey& row : LanguageKeys()) values[std::string(row.key)] = value(row.key);
  return values;
}

class LanguageLoaderTest : public ::testing::Test {
 protected:
  LanguageLoaderTest() { platform::SetSystemCodePage(1252); }
  ~LanguageLoaderTest() override {
    platform::SetSystemCodePage(0);
    lang_FirstPass = 0;
  }

  std::string File(const std::string& text) { return folder_.Write("Quillmere.ini", text); }

  // The two calls of start-up: while the main window is created, and on its first show.
  void FirstCall(const std::string& file, std::string_view language) {
    lang_FirstPass = 1;
    LoadLanguageStringsFrom(file, AnsiString(std::string(language)));
  }
  void SecondCall(const std::string& file, std::string_view language) {
    lang_FirstPass = 0;
    LoadLanguageStringsFrom(file, AnsiString(std::string(language)));
  }

  // Every caption and slot after a call: the value of its key, or the layout caption for a
  // target that the call leaves out.
  void ExpectTexts(const ValueOf& value_of, bool after_second_call, const std::string& context) {
    for (const LanguageKey& row : LanguageKeys()) {
      const std::string value = value_of(row);
      if (row.joined == JoinedHalf::kNone) {
        for (const TextTarget& target : row.captions) {
          TControl* control = windows_.Find(target);
          ASSERT_NE(control, nullptr) << target.window << "." << target.control;
          const bool applied = after_second_call || !target.second_call;
          EXPECT_EQ(control->Caption(), applied ? value : LayoutCaption(target.window, target.control))
              << context << ": " << row.key << " -> " << target.window << "." << target.control;
        }
      }
      if (row.slot) {
        EXPECT_EQ(row.slot->bytes(), ToAnsi(value).bytes()) << context << ": slot " << row.key;
      }
    }
    const std::string joined = FromAnsi(ToAnsi(value_of(Row("str_LabToWebUIDesc1"))) + AnsiString("\n") +
                                        ToAnsi(value_of(Row("str_LabToWebUIDesc2"))));
    EXPECT_EQ(JoinedCaption(), joined) << context;
  }

  std::string JoinedCaption() const { return windows_.Find({"form_Main", "lab_ToWebUIDesc"})->Caption(); }
  std::string Caption(std::string_view window, std::string_view control = {}) const {
    return windows_.Find({window, control})->Caption();
  }

  platform::ScopedVirtualClock clock_;
  ScratchFolder folder_;
  TextWindows windows_;
};

TEST_F(LanguageLoaderTest, WithoutTheLanguageEveryTextIsItsEnglishDefault) {
  struct Case {
    const char* name;
    std::optional<std::string> file;
    const char* language;
  } const cases[] = {
      {"no file", std::nullopt, "German"},
      {"empty name", IniSection("German", EveryKey([](auto) { return "Deutsch"; })), ""},
      {"section not in the file", IniSection("German", EveryKey([](auto) { return "Deutsch"; })), "Klingon"},
  };
  for (const Case& c : cases) {
    windows_ = TextWindows();
    windows_.CreateAll();
    const std::string file = c.file ? File(*c.file) : folder_.File("missing.ini");
    FirstCall(file, c.language);
    SecondCall(file, c.language);
    ExpectTexts(FromFile({}), true, c.name);
    EXPECT_EQ(Caption("form_Main"), "Orvo NAS Setup Wizard") << c.name;
  }
  // The defaults that other code compares, joins to numbers or shows as results, as written in
  // the key table; the comparison above only shows that the defaults of the table are used.
  const struct {
    const AnsiString& slot;
    const char* english;
  } kDefaults[] = {
      {str_Msg22,
       "For ensure the program can function normally, please disable the firewall first. Or set up by Web "
       "interface:"},
      {str_LabDiskAmount, "Disk Amount: "},
      {strLabOK, "OK."},
      {strLabFail, "Failed!"},
      {str_BtnNext, "Next"},
      {str_BtnApply, "Apply"},
      {str_Msg7, "Cannot open registry."},
      {str_LabTestStatus3, "Public DNS: "},
  };
  for (const auto& d : kDefaults) EXPECT_EQ(d.slot.bytes(), d.english);
}

TEST_F(LanguageLoaderTest, APartialSectionMixesTheFileAndTheDefaults) {
  std::map<std::string, std::string> values;
  bool take = true;
  for (const LanguageKey& row : LanguageKeys()) {
    if (take) values[std::string(row.key)] = "Datei " + std::string(row.key);
    take = !take;
  }
  windows_.CreateAll();
  const std::string file = File("[English]\nstr_BtnNext=Other\n" + IniSection("GERMAN", values));
  FirstCall(file, "german");
  SecondCall(file, "german");
  ExpectTexts(FromFile(values), true, "partial");
}

TEST_F(LanguageLoaderTest, AnEmptyValueIsAnEmptyTextNotTheDefault) {
  windows_.CreateAll();
  const std::string file = File("[German]\nstr_BtnNext=\n");
  FirstCall(file, "German");
  EXPECT_EQ(Caption("form_Main", "btn_Next"), "");
  EXPECT_EQ(Caption("form_Main", "lab_btnNext"), "");
  EXPECT_TRUE(str_BtnNext.empty());
  EXPECT_EQ(Caption("form_Main", "btn_Back"), "Back");
}

TEST_F(LanguageLoaderTest, TheDnsLabelKeyHasTwoDefaultsUntilTheFileGivesIt) {
  windows_.CreateAll();
  SecondCall(File("[German]\n"), "German");
  EXPECT_EQ(Caption("form_Main", "lab_DNS1"), "Preferred DNS Server: ");
  EXPECT_EQ(str_LabDNS1.bytes(), "Primary NDS: ");
  SecondCall(File("[German]\nstr_LabDNS1=Bevorzugter DNS-Server:\n"), "German");
  EXPECT_EQ(Caption("form_Main", "lab_DNS1"), "Bevorzugter DNS-Server:");
  EXPECT_EQ(str_LabDNS1.bytes(), "Bevorzugter DNS-Server:");
}

TEST_F(LanguageLoaderTest, TheJoinedCaptionPutsOneLineFeedBetweenItsHalves) {
  windows_.CreateAll();
  SecondCall(File("[German]\nstr_LabToWebUIDesc1=\nstr_LabToWebUIDesc2=\n"), "German");
  EXPECT_EQ(JoinedCaption(), "\n");
  SecondCall(File("[German]\nstr_LabToWebUIDesc1=Erste Hälfte\nstr_LabToWebUIDesc2=zweite\n"), "German");
  EXPECT_EQ(JoinedCaption(), "Erste Hälfte\nzweite");
  FirstCall(File("[German]\nstr_LabToWebUIDesc1=eins\nstr_LabToWebUIDesc2=zwei\n"), "German");
  EXPECT_EQ(JoinedCaption(), "eins\nzwei") << "set on the first call as well";
}

TEST_F(LanguageLoaderTest, TheFirstCallLeavesTheOtherWindowsAloneAndTheSecondReachesThem) {
  const auto values = EveryKey([](std::string_view key) { return "Datei " + std::string(key); });
  const std::string file = File(IniSection("German", values));

  // At the first call only the main window exists.
  windows_.Create("form_Main");
  FirstCall(file, "German");
  for (std::string_view name : kTextWindows) {
    if (name != "form_Main") windows_.Create(name);
  }
  ExpectTexts(FromFile(values), false, "before the first show");
  EXPECT_EQ(Caption("form_Main", "lab_IgnoreConnectionFailMsg"),
            LayoutCaption("form_Main", "lab_IgnoreConnectionFailMsg"));

  SecondCall(file, "German");
  ExpectTexts(FromFile(values), true, "after the first show");
}

TEST_F(LanguageLoaderTest, CharactersOutsideTheCodePageStayInCaptionsAndAreLostInSlots) {
  windows_.CreateAll();
  const std::string text = "Grüße 中文 Сеть";
  const auto values = EveryKey([&](auto) { return text; });
  const std::string file = File(IniSection("Mixed", values));
  SecondCall(file, "Mixed");
  ExpectTexts(FromFile(values), true, "code page 1252");
  EXPECT_EQ(Caption("form_Main", "btn_Next"), text);
  EXPECT_EQ(str_BtnNext.bytes(),
            "Gr\xFC\xDF"
            "e ?? ????");
  EXPECT_EQ(JoinedCaption(), "Grüße ?? ????\nGrüße ?? ????");

  platform::SetSystemCodePage(1251);
  SecondCall(file, "Mixed");
  EXPECT_EQ(Caption("form_Main", "btn_Next"), text);
  EXPECT_EQ(FromAnsi(str_BtnNext), "Gr??e ?? Сеть");
}

TEST_F(LanguageLoaderTest, TheLanguageNameIsWidenedFromTheCodePage) {
  windows_.CreateAll();
  const std::string file = File("[Español]\nstr_BtnNext=Siguiente\n");
  SecondCall(file, "Espa\xF1ol");  // the registry's 8-bit name in code page 1252
  EXPECT_EQ(Caption("form_Main", "btn_Next"), "Siguiente");
}

// The bytes this process has read from files so far, as the kernel counts them; nothing where it
// does not count them.
std::optional<uint64_t> BytesRead() {
  std::ifstream io("/proc/self/io");
  std::string name;
  uint64_t value = 0;
  while (io >> name >> value) {
    if (name == "rchar:") return value;
  }
  return std::nullopt;
}

// A pass of the loader reads and decodes the file once, not once a key: a language file of a
// megabyte costs a megabyte of reading a pass.
TEST_F(LanguageLoaderTest, EachPassReadsTheFileOnce) {
  if (!BytesRead()) GTEST_SKIP() << "the kernel does not count the bytes a process reads";
  windows_.CreateAll();
  std::string text = IniSection("German", EveryKey([](std::string_view key) { return "Datei " + std::string(key); }));
  for (int n = 0; text.size() < 1'000'000; ++n) {
    text += "[Filler " + std::to_string(n) + "]\nstr_BtnNext=" + std::string(1000, 'x') + "\n";
  }
  const std::string file = File(text);
  for (const bool first : {true, false}) {
    const uint64_t before = *BytesRead();
    first ? FirstCall(file, "German") : SecondCall(file, "German");
    const uint64_t read = *BytesRead() - before;
    EXPECT_GE(read, text.size()) << (first ? "first pass" : "second pass");
    EXPECT_LT(read, 2 * text.size()) << (first ? "first pass" : "second pass");
  }
  EXPECT_EQ(Caption("form_Main", "btn_Next"), "Datei str_BtnNext");
}

TEST_F(LanguageLoaderTest, ALongValueIsCutTo2047Characters) {
  windows_.CreateAll();
  const std::string file = File("[German]\nstr_BtnNext=" + std::string(3000, 'w') + "\n");
  SecondCall(file, "German");
  EXPECT_EQ(Caption("form_Main", "btn_Next"), std::string(2047, 'w'));
  EXPECT_EQ(str_BtnNext.bytes(), std::string(2047, 'w'));
}

TEST_F(LanguageLoaderTest, AControlMissingFromAnExistingWindowIsAnError) {
  TForm* confirm = nullptr;
  windows_.Create("form_Main");
  confirm = windows_.Create("form_ConfirmFormat");
  delete confirm->FindComponent("lab_WARNING");
  const std::string file = File("[German]\n");
  EXPECT_NO_THROW(FirstCall(file, "German")) << "the first call does not reach that window";
  try {
    SecondCall(file, "German");
    FAIL() << "no error for the missing control";
  } catch (const platform::Exception& e) {
    EXPECT_STREQ(e.what(), "LoadLanguageStrings: window form_ConfirmFormat has no control lab_WARNING");
  }
}

TEST_F(LanguageLoaderTest, TheFileLiesBesideTheExecutableWhateverTheWorkingFolder) {
  EXPECT_EQ(LanguageFilePath(), platform::ExecutableFolder() + "Quillmere.ini");
  windows_.CreateAll();
  folder_.Write("Quillmere.ini", "[German]\nstr_BtnNext=Aus dem Arbeitsordner\n");
  const auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(folder_.path());
  lang_FirstPass = 0;
  LoadLanguageStrings(AnsiString("German"));
  std::filesystem::current_path(cwd);
  EXPECT_NE(Caption("form_Main", "btn_Next"), "Aus dem Arbeitsordner");
}

TEST(LanguageKeys, HoldTheContractOfTheKeyTable) {
  std::set<std::string_view> keys;
  std::set<const AnsiString*> slots;
  std::map<std::string_view, int> captions;
  int reads = 0;
  for (const LanguageKey& row : LanguageKeys()) {
    keys.insert(row.key);
    if (row.slot) {
      EXPECT_TRUE(slots.insert(row.slot).second) << "two rows fill the slot of " << row.key;
      ++reads;
    }
    for (const TextTarget& target : row.captions) {
      ++captions[target.window];
      ++reads;
      const bool late = target.window != "form_Main" || target.control == "lab_IgnoreConnectionFailMsg" ||
                        target.control == "lab_ConnectionFailedTitle";
      EXPECT_EQ(target.second_call, late) << row.key << " -> " << target.window << "." << target.control;
    }
  }
  EXPECT_EQ(LanguageKeys().size(), 124u);
  EXPECT_EQ(keys.size(), 123u);
  EXPECT_EQ(slots.size(), 66u);
  EXPECT_EQ(reads, 153);
  EXPECT_EQ(captions, (std::map<std::string_view, int>{{"form_Main", 69},
                                                       {"form_ConfirmFormat", 8},
                                                       {"form_UsernamePassValid", 7},
                                                       {"form_MessageBox", 2},
                                                       {"form_ConnectionTest", 1}}));
  EXPECT_EQ(Row("str_MainFormCaption").english, "Orvo NAS Setup Wizard");
  EXPECT_TRUE(Row("str_LabToWebUIDesc2").english.ends_with(" at http://www.orvo.example/"));
}

}  // namespace
