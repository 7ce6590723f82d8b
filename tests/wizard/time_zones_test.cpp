#include <gtest/gtest.h>

#include <cstdio>
#include <set>

#include "pages_fixture.h"
#include "platform/emulated_registry.h"
#include "platform/registry_tree.h"
#include "wizard/dialogs/message_box.h"
#include "wizard/forms/forms.h"
#include "wizard/program.h"

namespace {

using platform::RegistryKey;
using platform::RegistryTree;

// One key below the registry's "Time Zones"; a value left out is missing.
struct ZoneKey {
  std::string name;
  std::optional<std::string> display;
  std::optional<std::string> std_name;
};

RegistryTree TreeWith(const std::vector<ZoneKey>& keys) {
  RegistryTree tree;
  RegistryKey& root = tree.CreateKey(platform::HKEY_LOCAL_MACHINE, platform::kTimeZonesKeyPath);
  for (const ZoneKey& k : keys) {
    RegistryKey& key = root.SubKey(k.name);
    if (k.display) key.SetString("Display", *k.display);
    if (k.std_name) key.SetString("Std", *k.std_name);
  }
  return tree;
}

// The key name Windows gives the zone of a stem.
std::string KeyNameOf(const std::string& stem) {
  if (stem == "UTC") return stem;
  const size_t paren = stem.find(" (");
  if (paren != std::string::npos) return stem.substr(0, paren) + " Standard Time" + stem.substr(paren);
  return stem + " Standard Time";
}

// A display text that shows its row number, "(7) Pacific".
std::string NumberedDisplay(int row, const std::string& stem) {
  std::string display = "(";
  display.append(std::to_string(row)).append(") ").append(stem);
  return display;
}

class TimeZoneTest : public PagesTest {
 protected:
  // Puts a registry of the test's own in place of the fixture's.
  platform::EmulatedRegistry& UseRegistry(RegistryTree tree) {
    scope_.reset();
    registry_of_test_ = std::make_unique<platform::EmulatedRegistry>(std::move(tree));
    scope_ = std::make_unique<platform::ScopedRegistry>(*registry_of_test_);
    return *registry_of_test_;
  }
  // The PC's zones as GetTimeZoneInformation reads them, from the start of the wizard on.
  sim::SimTimeZones& Pc() { return pc_settings_->zones(); }
  // The PC in the zone of that key (std name = key name), among the given zones.
  void PcIn(const std::string& current, std::vector<std::string> keys) {
    Pc().zones.clear();
    for (const std::string& k : keys) Pc().zones.push_back({k, "(UTC) " + k, k, k + " Daylight", 0});
    Pc().current = current;
  }
  std::vector<std::string> Entries() const {
    std::vector<std::string> entries;
    for (int i = 0; i < form_Main->ComboBoxTimeZone->Items().Count(); ++i) {
      entries.push_back(form_Main->ComboBoxTimeZone->Items()[i]);
    }
    return entries;
  }
  std::string Selected() const { return form_Main->ComboBoxTimeZone->Text(); }
  // The number the settings write sends for an entry.
  static int NumberSentFor(const std::string& entry) { return FindTimeZoneRow(platform::ToAnsi(entry)) + 1; }
  // Chooses an entry through the time-zone drop-down.
  void ChooseTimeZone(int index) {
    driver_.Click("lab_comboBoxTimeZone");
    TStringGrid* grid = form_Main->sg_TimeZone;
    ASSERT_TRUE(grid->Visible());
    const TRect cell = grid->CellRect(0, index);
    ASSERT_GT(cell.Bottom, cell.Top) << "row " << index << " is not in view";
    const TPoint at = grid->ClientToForm({cell.Left + 5, cell.Top + 3});
    driver_.ClickAt(at.X, at.Y);
    ASSERT_EQ(form_Main->ComboBoxTimeZone->ItemIndex(), index);
  }

  std::unique_ptr<platform::EmulatedRegistry> registry_of_test_;
  std::unique_ptr<platform::ScopedRegistry> scope_;
};

TEST_F(TimeZoneTest, TheTableHolds94RowsWithTheBoxCodesAndTheKeyStems) {
  std::set<std::string> stems;
  for (int i = 0; i < kTimeZoneCount; ++i) stems.insert(OriginalRow(i).stem.bytes());
  EXPECT_EQ(kTimeZoneCount, 94);
  EXPECT_EQ(stems.size(), 94u) << "the stems are unique";
  struct Row {
    int index;
    const char* code;
    const char* stem;
  } const rows[] = {{0, "UCT12", "Dateline"},
                    {5, "MST7MDT", "Pacific (Mexico)"},
                    {10, "MST7MDT", "Central America"},
                    {33, "EST-2EDT", "UTC"},
                    {48, "UCT-5.30", "GTB"},
                    {51, "UCT-5.30", "Arabic"},
                    {60, "UCT_8", "Armenian"},
                    {73, "UCT-12", "SE Asia"},
                    {74, "NZST-12NZDT", "China"},
                    {93, "NZST-12NZDT", "Tonga"}};
  for (const Row& r : rows) {
    EXPECT_EQ(OriginalRow(r.index).code.bytes(), r.code) << r.index;
    EXPECT_EQ(OriginalRow(r.index).stem.bytes(), r.stem) << r.index;
  }
  for (int i = 74; i < 94; ++i) EXPECT_EQ(OriginalRow(i).code.bytes(), "NZST-12NZDT") << i;
}

TEST_F(TimeZoneTest, EveryRowWithAKeyIsOfferedInTableOrderAndFindsItsOwnNumber) {
  Start(false);
  std::vector<ZoneKey> keys;
  for (int i = kTimeZoneCount - 1; i >= 0; --i) {
    const std::string stem = OriginalRow(i).stem.bytes();
    keys.push_back({KeyNameOf(stem), NumberedDisplay(i, stem), KeyNameOf(stem)});
  }
  platform::EmulatedRegistry& registry = UseRegistry(TreeWith(keys));
  PcIn("UTC", {"UTC"});
  EXPECT_TRUE(form_Main->LoadTimeZoneList());
  const std::vector<std::string> entries = Entries();
  ASSERT_EQ(entries.size(), 94u);
  for (int i = 0; i < kTimeZoneCount; ++i) {
    EXPECT_EQ(entries[i], NumberedDisplay(i, OriginalRow(i).stem.bytes()));
    EXPECT_EQ(NumberSentFor(entries[i]), i + 1) << entries[i];
    EXPECT_EQ(form_Main->sg_TimeZone->Cell(0, i), entries[i]);
  }
  EXPECT_EQ(form_Main->sg_TimeZone->RowCount(), 94);
  EXPECT_EQ(Selected(), "(33) UTC") << "the unsuffixed key UTC is the PC's zone";
  EXPECT_EQ(NumberSentFor(Selected()), 34);
  EXPECT_EQ(registry.OpenHandles(), 0u) << "every key is closed again";
}

TEST_F(TimeZoneTest, AKeyMatchesTheStemLeftWhenTheFirstSuffixIsCutOutExactlyAndWhole) {
  Start(false);
  struct Case {
    const char* key;
    int row;  // -1: not offered
  } const cases[] = {{"Pacific Standard Time", 4},
                     {"Pacific Standard Time (Mexico)", 5},
                     {"UTC", 33},
                     {"Central", 11},
                     {"hawaiian Standard Time", -1},
                     {"Eastern standard time", -1},
                     {"Mountain Standard Time Extra", -1},
                     {"Alaskan Standard Time Standard Time", -1},
                     {"Mars Standard Time", -1},
                     {"Standard Time", -1}};
  std::vector<ZoneKey> keys;
  for (const Case& c : cases) keys.push_back({c.key, std::string("key ") + c.key, c.key});
  UseRegistry(TreeWith(keys));
  PcIn("", {});
  form_Main->LoadTimeZoneList();
  const std::vector<std::string> entries = Entries();
  std::vector<std::string> expected;
  for (int row : {4, 5, 11, 33}) {
    for (const Case& c : cases) {
      if (c.row == row) expected.push_back(std::string("key ") + c.key);
    }
  }
  EXPECT_EQ(entries, expected) << "in table order, the unmatched ones left out";
  for (const Case& c : cases) {
    if (c.row >= 0) {
      EXPECT_EQ(NumberSentFor(std::string("key ") + c.key), c.row + 1) << c.key;
    }
  }
}

TEST_F(TimeZoneTest, TwoKeysOfOneStemMakeOneEntryWithTheLaterText) {
  Start(false);
  // Keys enumerate by their upper-case names: "Tonga" before "Tonga Standard Time".
  UseRegistry(TreeWith({{"Tonga Standard Time", "later", "Tonga Standard Time"},
                        {"Tonga", "earlier", "Tonga Standard Time"},
                        {"Fiji Standard Time", "Fiji", "Fiji Standard Time"}}));
  PcIn("Tonga Standard Time", {"Tonga Standard Time"});
  form_Main->LoadTimeZoneList();
  EXPECT_EQ(Entries(), (std::vector<std::string>{"Fiji", "later"}));
  EXPECT_EQ(Selected(), "later");
  EXPECT_EQ(NumberSentFor("later"), 94);
  EXPECT_EQ(FindTimeZoneRow(platform::ToAnsi("earlier")), -1);
}

struct PreselectCase {
  const char* name;
  const char* pc_zone;  // the current key; empty: GetTimeZoneInformation fails
  platform::DWORD state;
  bool std_missing;             // the PC zone's key has no "Std": its name is compared
  const char* std_in_registry;  // else the "Std" the key carries
  const char* selected;
};

class TimeZonePreselectTest : public TimeZoneTest, public ::testing::WithParamInterface<PreselectCase> {};

TEST_P(TimeZonePreselectTest, ThePcsZoneIsFoundByItsStandardName) {
  const PreselectCase& c = GetParam();
  Start(false);
  std::vector<ZoneKey> keys = {{"Dateline Standard Time", "Dateline", "Dateline Standard Time"},
                               {"W. Europe Standard Time", "W. Europe", "W. Europe Standard Time"},
                               {"UTC", "UTC", "Coordinated Universal Time"},
                               {"Mars Standard Time", "Mars", "Mars Standard Time"}};
  for (ZoneKey& k : keys) {
    if (k.name != c.pc_zone) continue;
    if (c.std_missing) k.std_name.reset();
    if (c.std_in_registry) k.std_name = c.std_in_registry;
  }
  UseRegistry(TreeWith(keys));
  Pc().zones = {{"Dateline Standard Time", "", "Dateline Standard Time", "", -720},
                {"W. Europe Standard Time", "", "W. Europe Standard Time", "", 60},
                {"UTC", "", "Coordinated Universal Time", "", 0},
                {"Mars Standard Time", "", "Mars Standard Time", "", 300}};
  Pc().current = c.pc_zone;
  Pc().state = c.state;
  form_Main->LoadTimeZoneList();
  EXPECT_EQ(Entries(), (std::vector<std::string>{"Dateline", "UTC", "W. Europe"}));
  EXPECT_EQ(Selected(), c.selected);
}

INSTANTIATE_TEST_SUITE_P(Cases, TimeZonePreselectTest,
                         ::testing::Values(PreselectCase{"standard_time", "W. Europe Standard Time",
                                                         platform::TIME_ZONE_ID_STANDARD, false, nullptr, "W. Europe"},
                                           PreselectCase{"daylight_time", "W. Europe Standard Time",
                                                         platform::TIME_ZONE_ID_DAYLIGHT, false, nullptr, "W. Europe"},
                                           PreselectCase{"zone_without_daylight_time", "W. Europe Standard Time",
                                                         platform::TIME_ZONE_ID_UNKNOWN, false, nullptr, "W. Europe"},
                                           PreselectCase{"std_differs_from_the_key_name", "UTC",
                                                         platform::TIME_ZONE_ID_STANDARD, false, nullptr, "UTC"},
                                           PreselectCase{"std_missing_key_name_compared", "W. Europe Standard Time",
                                                         platform::TIME_ZONE_ID_STANDARD, true, nullptr, "W. Europe"},
                                           PreselectCase{"std_missing_key_name_differs", "UTC",
                                                         platform::TIME_ZONE_ID_STANDARD, true, nullptr, "Dateline"},
                                           PreselectCase{"std_of_another_name", "W. Europe Standard Time",
                                                         platform::TIME_ZONE_ID_STANDARD, false,
                                                         "Romance Standard Time", "Dateline"},
                                           PreselectCase{"zone_without_a_row", "Mars Standard Time",
                                                         platform::TIME_ZONE_ID_STANDARD, false, nullptr, "Dateline"},
                                           PreselectCase{"zone_information_fails", "", platform::TIME_ZONE_ID_STANDARD,
                                                         false, nullptr, "Dateline"}),
                         [](const auto& info) { return info.param.name; });

TEST_F(TimeZoneTest, TheRows74To93AreEachOfferedAndSentAsTheirOwnNumber) {
  Start(false);
  std::vector<ZoneKey> keys;
  for (int i = 74; i < kTimeZoneCount; ++i) {
    const std::string stem = OriginalRow(i).stem.bytes();
    keys.push_back({KeyNameOf(stem), "(UTC+" + std::to_string(i) + ") " + stem, KeyNameOf(stem)});
  }
  UseRegistry(TreeWith(keys));
  PcIn("Tonga Standard Time", {"Tonga Standard Time"});
  form_Main->LoadTimeZoneList();
  const std::vector<std::string> entries = Entries();
  ASSERT_EQ(entries.size(), 20u);
  for (int i = 0; i < 20; ++i) EXPECT_EQ(NumberSentFor(entries[i]), 75 + i) << entries[i];
  EXPECT_EQ(NumberSentFor(Selected()), 94);
}

TEST_F(TimeZoneTest, ADisplayThatFillsTheWholeBufferIsReadNoFurther) {
  Start(false);
  RegistryTree tree = TreeWith({{"Fiji Standard Time", std::nullopt, "Fiji Standard Time"}});
  RegistryKey& fiji =
      tree.CreateKey(platform::HKEY_LOCAL_MACHINE, std::string(platform::kTimeZonesKeyPath) + "\\Fiji Standard Time");
  // 260 bytes without a terminator, as a value written as binary data gives them.
  fiji.SetValue("Display", platform::RegistryValue{platform::REG_BINARY, std::vector<platform::BYTE>(260, 'F')});
  UseRegistry(std::move(tree));
  PcIn("", {});
  form_Main->LoadTimeZoneList();
  EXPECT_EQ(Entries(), (std::vector<std::string>{std::string(260, 'F')}));
}

TEST_F(TimeZoneTest, WithoutAnyZoneKeyTheListIsEmptyAndNothingIsSelected) {
  Start(false);
  UseRegistry(TreeWith({}));
  PcIn("", {});
  EXPECT_TRUE(form_Main->LoadTimeZoneList());
  EXPECT_TRUE(Entries().empty());
  EXPECT_EQ(form_Main->ComboBoxTimeZone->ItemIndex(), -1);
  EXPECT_EQ(form_Main->sg_TimeZone->RowCount(), 0);
}

// The box's zone after a whole set-up in which the user chose the entry at `index`.
class TimeZoneSentTest : public TimeZoneTest {
 protected:
  std::string SetUpWithZone(int index) {
    sim::BoxConfig box = FreshBox();
    box.dhcp = true;
    box.dns1 = 0;
    sim::BoxNode& node = AddBox(box);
    Start();
    if (custom_) UseRegistry(TreeWith(*custom_));
    LogInToTheStartedWizard();
    ToSettingsPage();
    ChooseTimeZone(index);
    ToDiskPage();
    form_Main->btn_NextClick(form_Main->btn_Next);
    EXPECT_EQ(Page(), form_Main->tab_ClientSetupFinish) << LastMessage();
    std::string zone;
    node.WithBox([&](sim::Box& b) { zone = b.config().time_zone; });
    return zone;
  }
  std::optional<std::vector<ZoneKey>> custom_;
};

TEST_F(TimeZoneSentTest, UtcIsSentAs34) {
  // The fixture's zones: Dateline, Pacific, UTC, W. Europe, Tonga.
  EXPECT_EQ(SetUpWithZone(2), "34");
}

TEST_F(TimeZoneSentTest, TongaIsSentAs94) { EXPECT_EQ(SetUpWithZone(4), "94"); }

TEST_F(TimeZoneSentTest, TwoEntriesWithTheSameTextBothSendTheLowerRow) {
  custom_ = {{{"Samoa Standard Time", "(UTC-10:00) Islands", "Samoa Standard Time"},
              {"Hawaiian Standard Time", "(UTC-10:00) Islands", "Hawaiian Standard Time"},
              {"W. Europe Standard Time", "(UTC+01:00) Europe", "W. Europe Standard Time"}}};
  EXPECT_EQ(SetUpWithZone(1), "2") << "the Hawaiian entry finds the Samoa row first";
}

TEST_F(TimeZoneTest, LoggingInAgainListsTheSameEntriesAndReselectsThePcsZone) {
  LogIn(FreshBox());
  ToSettingsPage();
  const std::vector<std::string> first = Entries();
  ASSERT_EQ(Selected(), "(UTC+01:00) Amsterdam, Berlin, Bern, Rome, Stockholm, Vienna");
  ChooseTimeZone(2);
  ASSERT_EQ(Selected(), "(UTC) Coordinated Universal Time");

  form_Main->btn_BackClick(form_Main->btn_Back);
  form_Main->btn_BackClick(form_Main->btn_Back);
  ASSERT_EQ(Page(), form_Main->tab_NASList);
  LogInToTheStartedWizard();
  ToSettingsPage();
  EXPECT_EQ(Entries(), first);
  EXPECT_EQ(Selected(), "(UTC+01:00) Amsterdam, Berlin, Bern, Rome, Stockholm, Vienna");
  EXPECT_EQ(form_Main->lab_comboBoxTimeZone->Caption(), Selected()) << "the drop-down follows";
}

// The process ends with exit code 1 after the text was shown; the child prints what it showed.
class TimeZoneFailureTest : public TimeZoneTest {
 protected:
  void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
  static void PrintMessages() {
    TNotifyEvent shown = form_MessageBox->OnShow;
    form_MessageBox->OnShow = [shown](TObject* sender) {
      if (shown) shown(sender);
      std::fprintf(stderr, "message kind %d: %s\n", form_MessageBox->msgType,
                   form_MessageBox->lab_Message->Caption().c_str());
    };
  }
};

// A registry whose one key cannot be opened.
class LockedKeyRegistry final : public platform::Registry {
 public:
  LockedKeyRegistry(RegistryTree tree, std::string locked) : inner_(std::move(tree)), locked_(std::move(locked)) {}
  platform::LONG OpenKey(platform::HKEY key, std::string_view sub_key, platform::REGSAM access,
                         platform::HKEY* result) override {
    if (sub_key == locked_) return platform::ERROR_ACCESS_DENIED;
    return inner_.OpenKey(key, sub_key, access, result);
  }
  platform::LONG EnumKey(platform::HKEY key, platform::DWORD index, std::string* name) override {
    return inner_.EnumKey(key, index, name);
  }
  platform::LONG QueryValue(platform::HKEY key, std::string_view name, platform::RegistryValue* value) override {
    return inner_.QueryValue(key, name, value);
  }
  platform::LONG CloseKey(platform::HKEY key) override { return inner_.CloseKey(key); }

 private:
  platform::EmulatedRegistry inner_;
  std::string locked_;
};

TEST_F(TimeZoneFailureTest, WithoutTheRootKeyTheFirstLoadShowsTheEnglishTextAndEnds) {
  EXPECT_EXIT(
      {
        platform::EmulatedRegistry registry{RegistryTree()};
        platform::ScopedRegistry scope(registry);
        Application->SetExceptionDisplay(
            [](const std::string& m) { std::fprintf(stderr, "error display: %s\n", m.c_str()); });
        RegisterWizardForms();
        Application->SetTitle(kProductTitle);
        CreateWizardWindows();
      },
      ::testing::ExitedWithCode(1), "error display: Cannot open registry\\.");
}

TEST_F(TimeZoneFailureTest, WithoutTheRootKeyALaterLoadWarnsAndEnds) {
  Start(false);
  EXPECT_EXIT(
      {
        UseRegistry(RegistryTree());
        PrintMessages();
        form_Main->LoadTimeZoneList();
      },
      ::testing::ExitedWithCode(1), "message kind 1: Cannot open registry\\.");
}

TEST_F(TimeZoneFailureTest, AKeyThatCannotBeOpenedIsAnErrorAndEnds) {
  Start(false);
  EXPECT_EXIT(
      {
        LockedKeyRegistry registry(TreeWith({{"Fiji Standard Time", "Fiji", "Fiji Standard Time"},
                                             {"Tonga Standard Time", "Tonga", "Tonga Standard Time"}}),
                                   std::string(platform::kTimeZonesKeyPath) + "\\Tonga Standard Time");
        platform::ScopedRegistry scope(registry);
        PrintMessages();
        form_Main->LoadTimeZoneList();
      },
      ::testing::ExitedWithCode(1), "message kind 2: Cannot open registry\\.");
}

TEST_F(TimeZoneFailureTest, AKeyWithoutDisplayIsAnErrorAndEnds) {
  Start(false);
  EXPECT_EXIT(
      {
        UseRegistry(TreeWith({{"Fiji Standard Time", std::nullopt, "Fiji Standard Time"}}));
        PrintMessages();
        form_Main->LoadTimeZoneList();
      },
      ::testing::ExitedWithCode(1), "message kind 2: Cannot open registry\\.");
}

}  // namespace
