#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <nlohmann/json.hpp>
#include <optional>
#include <tuple>

#include "platform/window_registry.h"
#include "skinned_page_support.h"
#include "text/language_loader.h"
#include "toolkit/resources.h"
#include "wizard/dialogs/apply_progress.h"
#include "wizard/dialogs/confirm_format.h"
#include "wizard/dialogs/login_dialog.h"
#include "wizard/dialogs/message_box.h"
#include "wizard/forms/forms.h"
#include "wizard/main_form.h"
#include "wizard/program.h"
#include "wizard_fixture.h"

namespace {

using StartupTest = WizardTest;

TEST_F(StartupTest, TheSixWindowsAreCreatedInOrderWithTheMainWindowsStartState) {
  Start(false);
  std::vector<std::string> names;
  for (TForm* f : Screen->Forms()) names.push_back(f->Name());
  EXPECT_EQ(names, (std::vector<std::string>{"form_Main", "form_ApplyProgress", "form_UsernamePassValid",
                                             "form_ConfirmFormat", "form_MessageBox", "form_ConnectionTest"}));
  EXPECT_EQ(Application->MainForm(), form_Main);
  const Tform_Main& f = *form_Main;
  for (int32_t field : {f.TimeZoneIndex, f.TimeZoneHoverRow, f.TimeZoneHoverCol, f.DriveList1Index,
                        f.DriveList1HoverRow, f.DriveList1HoverCol, f.DriveList2Index, f.DriveList2HoverRow,
                        f.DriveList2HoverCol, f.NASSelectedRow, f.NASHoverRow, f.NASHoverCol}) {
    EXPECT_EQ(field, -1);
  }
  EXPECT_EQ(f.PageControl1->ActivePage(), f.tab_NASList);
  EXPECT_EQ(form_MessageBox->Width(), 253);
  EXPECT_EQ(form_MessageBox->WindowRegion()->EllipseWidth, 20);
  EXPECT_EQ(form_ApplyProgress->Height(), 135);
  EXPECT_EQ(form_ConfirmFormat->Caption(), form_Main->Caption());
}

// The region as one value, so that a failing window shows all six edges and corner sizes.
std::tuple<int, int, int, int, int, int> Edges(const TWindowRegion& r) {
  return {r.Left, r.Top, r.Right, r.Bottom, r.EllipseWidth, r.EllipseHeight};
}

TEST_F(StartupTest, TheCreationShapesTheMainWindowThePagesAndTheButtonPanels) {
  Start(false);
  const Tform_Main& f = *form_Main;
  struct Shape {
    const TWinControl* control;
    std::optional<TPoint> position;  // where the layout puts it: the new size keeps it
    int width, height;
    TWindowRegion region;
  } const shapes[] = {
      {&f, std::nullopt, 683, 440, {0, 0, 683, 440, 15, 15}},  // centred on the screen
      {f.PageControl1, TPoint{-2, 36}, 680, 421, {10, 12, 677, 399, 15, 15}},
      {f.panel_btnCancel, TPoint{30, 392}, 135, 34, {0, 0, 135, 34, 15, 15}},
      {f.panel_btnNext, TPoint{521, 392}, 135, 34, {0, 0, 135, 34, 15, 15}},
      {f.panel_btnBack, TPoint{368, 392}, 135, 34, {0, 0, 135, 34, 15, 15}},
  };
  for (const Shape& s : shapes) {
    SCOPED_TRACE(s.control->Name());
    if (s.position) {
      EXPECT_EQ(s.control->Left(), s.position->X);
      EXPECT_EQ(s.control->Top(), s.position->Y);
    }
    EXPECT_EQ(s.control->Width(), s.width);
    EXPECT_EQ(s.control->Height(), s.height);
    ASSERT_TRUE(s.control->WindowRegion());
    EXPECT_EQ(Edges(*s.control->WindowRegion()), Edges(s.region));
  }
}

TEST_F(StartupTest, TheSecondLoaderCallComesWithTheFirstShowAndOnlyThen) {
  language_ = "German";
  Start(false);
  EXPECT_EQ(lang_FirstPass, 1);
  EXPECT_EQ(form_Main->btn_Back->Caption(), "Zurück") << "the first call reaches the main window";
  const std::string layout_warning = form_ConfirmFormat->lab_WARNINGTitle->Caption();
  EXPECT_EQ(layout_warning, "WARNING:") << "the other windows keep their layout texts";
  form_Main->Show();
  EXPECT_EQ(lang_FirstPass, 0);
  EXPECT_NE(form_ConfirmFormat->lab_WARNINGTitle->Caption(), layout_warning);
  // A later showing does not load the texts again.
  form_ConfirmFormat->lab_WARNINGTitle->SetCaption("untouched");
  form_Main->Hide();
  form_Main->Show();
  EXPECT_EQ(form_ConfirmFormat->lab_WARNINGTitle->Caption(), "untouched");
}

// The pictures and labels of the main window's layout: where each sits and whether the layout
// gives it a click of its own.
struct LayoutPicture {
  std::string name;
  std::string parent;
  bool own_click;
};

std::vector<LayoutPicture> LayoutPictures() {
  const nlohmann::json layout =
      nlohmann::json::parse(*FindEmbeddedFile(std::string(kWizardFormsFolder) + "/form_Main.json"));
  std::vector<LayoutPicture> found;
  std::function<void(const nlohmann::json&)> walk = [&](const nlohmann::json& node) {
    for (const nlohmann::json& child : node.value("children", nlohmann::json::array())) {
      const std::string cls = child["class"];
      if (cls == "TImage" || cls == "TLabel") found.push_back({child["name"], node["name"], child.contains("OnClick")});
      walk(child);
    }
  };
  walk(layout);
  return found;
}

TControl* Named(const std::string& name) {
  auto* c = dynamic_cast<TControl*>(form_Main->FindComponent(name));
  EXPECT_TRUE(c) << name;
  return c;
}

// A click on a picture or label of the settings or drive-letter sheet first closes whichever
// drop-down is open.
class DropDownCloserTest : public SkinnedPageTest {
 protected:
  static bool TimeZoneOpen() { return form_Main->sg_TimeZone->Visible(); }
  static bool DriveList1Open() { return form_Main->sg_CBDriveList1->Visible(); }
  // The time-zone list and the first drive-letter list open at once, by their captions.
  static void OpenTwoLists() {
    form_Main->checkBox_UseDefaultDNTZandNetwork->SetChecked(false);  // which holds the time zone
    form_Main->lab_comboBoxTimeZone->Click();
    form_Main->lab_CBDriveList1->Click();
    ASSERT_TRUE(TimeZoneOpen());
    ASSERT_TRUE(DriveList1Open());
  }
};

TEST_F(DropDownCloserTest, ThePlainPicturesAndLabelsDirectlyOnTheTwoSheetsCloseTheListsAndNoOthers) {
  Start(false);
  const std::vector<LayoutPicture> pictures = LayoutPictures();
  int on_sheets = 0;
  for (const LayoutPicture& p : pictures) {
    if (p.own_click) continue;
    SCOPED_TRACE(p.name + " on " + p.parent);
    TControl* c = Named(p.name);
    if (p.parent == "tab_CurrentSettings" || p.parent == "tab_NetworkDiskMapping") {
      ++on_sheets;
      OpenTwoLists();
      c->Click();
      EXPECT_FALSE(TimeZoneOpen());
      EXPECT_FALSE(DriveList1Open());
    } else {
      EXPECT_FALSE(c->OnClick);
    }
  }
  EXPECT_GT(on_sheets, 0) << "the layout has plain pictures and labels on the two sheets";
}

TEST_F(DropDownCloserTest, PicturesAndLabelsWithAClickOfTheirOwnKeepIt) {
  LogIn();
  Tform_Main& m = *form_Main;
  ShowPage(m.tab_CurrentSettings);
  // What the control's own click does, false before the click; the closer alone would do none
  // of it.
  struct Own {
    const char* name;
    std::function<bool()> done;
  } const cases[] = {
      {"lab_comboBoxTimeZone", [] { return TimeZoneOpen(); }},
      {"img_comboBoxTimeZone_Over", [] { return TimeZoneOpen(); }},
      {"lab_CBDriveList1", [] { return DriveList1Open(); }},
      {"img_CBDriveList1_Over", [] { return DriveList1Open(); }},
      {"lab_radioFixedIP", [&m] { return m.radio_FixedIP->Checked(); }},
      {"lab_radioFixedDNS", [&m] { return m.radio_FixedDNS->Checked(); }},
      {"lab_editDeviceName", [&m] { return m.ActiveControl() == m.edit_DeviceName; }},
      {"img_editDeviceName", [&m] { return m.ActiveControl() == m.edit_DeviceName; }},
      {"lab_checkBoxUseDefaultDNTZandNetwork", [&m] { return m.checkBox_UseDefaultDNTZandNetwork->Checked(); }},
  };
  for (const Own& c : cases) {
    SCOPED_TRACE(c.name);
    m.CloseDropDownLists();
    m.radio_AutoIP->SetChecked(true);
    m.radio_AutoDNS->SetChecked(true);
    m.checkBox_UseDefaultDNTZandNetwork->SetChecked(false);
    m.FocusControl(nullptr);
    ASSERT_FALSE(c.done());
    Named(c.name)->Click();
    EXPECT_TRUE(c.done());
  }
}

TEST_F(DropDownCloserTest, AClickOnAPlainLabelOrPictureOfTheSettingsPageClosesTheOpenTimeZoneList) {
  LogIn();
  Tform_Main& m = *form_Main;
  ShowPage(m.tab_CurrentSettings);
  for (const TControl* plain :
       std::initializer_list<const TControl*>{m.lab_TimeZone, m.lab_IPAddrDot1, m.img_PageControlBG3}) {
    SCOPED_TRACE(plain->Name());
    ClickOn(m.lab_comboBoxTimeZone);
    RunFor(kDoubleClickMs + 1);
    ASSERT_TRUE(TimeZoneOpen());
    m.ComboBoxTimeZone->SetItemIndex(2);
    ClickOn(plain);
    RunFor(kDoubleClickMs + 1);
    EXPECT_FALSE(TimeZoneOpen());
    EXPECT_EQ(m.lab_comboBoxTimeZone->Caption(), m.ComboBoxTimeZone->Items()[2]) << "closed on the current item";
  }
}

TEST_F(DropDownCloserTest, APictureOrLabelPlacedInsideAGroupBoxOrPanelOfTheSheetLeavesTheListOpen) {
  // Two in the network group box, one in a panel of it, and for comparison one beside them
  // directly on the sheet.
  edit_main_layout_ = [](std::string& text) {
    nlohmann::ordered_json layout = nlohmann::ordered_json::parse(text);
    std::function<nlohmann::ordered_json*(nlohmann::ordered_json&, const std::string&)> find =
        [&](nlohmann::ordered_json& node, const std::string& name) -> nlohmann::ordered_json* {
      if (node.value("name", "") == name) return &node;
      if (!node.contains("children")) return nullptr;
      for (nlohmann::ordered_json& child : node["children"]) {
        if (nlohmann::ordered_json* found = find(child, name)) return found;
      }
      return nullptr;
    };
    auto place = [&](const std::string& parent, const std::string& cls, const std::string& name) {
      (*find(layout, parent))["children"].push_back({{"class", cls}, {"name", name}, {"Left", 4}, {"Top", 4}});
    };
    place("group_NetworkConfig", "TLabel", "lab_InGroup");
    place("group_NetworkConfig", "TImage", "img_InGroup");
    place("panel_QForGetIPAuto", "TLabel", "lab_InPanel");
    place("tab_CurrentSettings", "TLabel", "lab_OnSheet");
    text = layout.dump();
  };
  Start(false);
  for (const char* name : {"lab_InGroup", "img_InGroup", "lab_InPanel"}) {
    SCOPED_TRACE(name);
    TControl* placed = Named(name);
    ASSERT_TRUE(placed);
    EXPECT_FALSE(placed->OnClick);
    OpenTwoLists();
    placed->Click();
    EXPECT_TRUE(TimeZoneOpen());
    EXPECT_TRUE(DriveList1Open());
    form_Main->CloseDropDownLists();
  }
  OpenTwoLists();
  Named("lab_OnSheet")->Click();
  EXPECT_FALSE(TimeZoneOpen());
  EXPECT_FALSE(DriveList1Open());
}

struct LanguageCase {
  const char* name;
  bool key;
  std::optional<std::string> value;
  std::string expected;
  std::vector<std::string> traces;
  std::string back_caption;
};

void PrintTo(const LanguageCase& c, std::ostream* os) { *os << c.name; }

class LanguageValueTest : public WizardTest, public ::testing::WithParamInterface<LanguageCase> {};

TEST_P(LanguageValueTest, TheLanguageComesFromTheRegistryWithItsTrace) {
  const LanguageCase& c = GetParam();
  language_key_ = c.key;
  language_ = c.value;
  Start(false);
  EXPECT_EQ(form_Main->languageName.bytes(), c.expected);
  // The language is read right after the sockets library starts, and the loader traces nothing.
  const auto winsock = std::find(traces_.begin(), traces_.end(), "initializeWinsock() SUCCESS");
  ASSERT_NE(winsock, traces_.end());
  EXPECT_EQ(std::vector<std::string>(winsock + 1, traces_.end()), c.traces);
  EXPECT_EQ(form_Main->btn_Back->Caption(), c.back_caption);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LanguageValueTest,
    ::testing::Values(LanguageCase{"value", true, "German", "German", {"German"}, "Zurück"},
                      LanguageCase{"empty_value", true, "", "", {""}, "Back"},
                      LanguageCase{"no_value", true, std::nullopt, "", {"Language type is unknown!"}, "Back"},
                      LanguageCase{"no_key", false, std::nullopt, "", {}, "Back"}),
    [](const auto& info) { return info.param.name; });

TEST_F(StartupTest, ASecondStartHandsOverToTheRunningOneAndCreatesNoWindow) {
  std::vector<std::string> asked;
  platform::HWND app =
      platform::RegisterWindow("TApplication", kProductTitle,
                               {[&](int command) { asked.push_back("application " + std::to_string(command)); },
                                [&] { asked.push_back("application to front"); }});
  platform::HWND main = platform::RegisterWindow(
      "Tform_Main", kProductTitle, {[&](int command) { asked.push_back("main " + std::to_string(command)); }, [&] {}});
  EXPECT_EQ(WinMain(), 0);
  EXPECT_TRUE(Screen->Forms().empty());
  EXPECT_EQ(asked, (std::vector<std::string>{"application 9", "application to front", "main 5"}));
  platform::UnregisterWindow(app);
  platform::UnregisterWindow(main);
}

}  // namespace
