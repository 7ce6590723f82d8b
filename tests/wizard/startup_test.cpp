#include <gtest/gtest.h>

#include "platform/window_registry.h"
#include "text/language_loader.h"
#include "wizard/dialogs/apply_progress.h"
#include "wizard/dialogs/confirm_format.h"
#include "wizard/dialogs/login_dialog.h"
#include "wizard/dialogs/message_box.h"
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
  struct Shape {
    const TWinControl* control;
    int width, height;
    TWindowRegion region;
  } const shapes[] = {{&f, 683, 440, {0, 0, 683, 440, 15, 15}},
                      {f.PageControl1, 680, 421, {10, 12, 677, 399, 15, 15}},
                      {f.panel_btnCancel, 135, 34, {0, 0, 135, 34, 15, 15}},
                      {f.panel_btnNext, 135, 34, {0, 0, 135, 34, 15, 15}},
                      {f.panel_btnBack, 135, 34, {0, 0, 135, 34, 15, 15}}};
  for (const Shape& s : shapes) {
    EXPECT_EQ(s.control->Width(), s.width) << s.control->Name();
    EXPECT_EQ(s.control->Height(), s.height) << s.control->Name();
    ASSERT_TRUE(s.control->WindowRegion()) << s.control->Name();
    EXPECT_EQ(s.control->WindowRegion()->Right, s.region.Right) << s.control->Name();
    EXPECT_EQ(s.control->WindowRegion()->Bottom, s.region.Bottom) << s.control->Name();
    EXPECT_EQ(s.control->WindowRegion()->Top, s.region.Top) << s.control->Name();
  }
  EXPECT_EQ(form_MessageBox->Width(), 253);
  EXPECT_EQ(form_MessageBox->WindowRegion()->EllipseWidth, 20);
  EXPECT_EQ(form_ApplyProgress->Height(), 135);
  EXPECT_EQ(form_ConfirmFormat->Caption(), form_Main->Caption());
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

TEST_F(StartupTest, TheDropDownCloserGoesOnlyToDirectPicturesAndLabelsWithoutAClick) {
  Start(false);
  const Tform_Main& f = *form_Main;
  for (TWinControl* sheet :
       {static_cast<TWinControl*>(f.tab_CurrentSettings), static_cast<TWinControl*>(f.tab_NetworkDiskMapping)}) {
    for (TControl* c : sheet->Controls()) {
      const std::string cls = c->ClassName();
      if (cls == "TImage" || cls == "TLabel") {
        EXPECT_TRUE(c->OnClick) << c->Name();
      }
    }
  }
  for (TControl* c : f.group_NetworkConfig->Controls()) {
    if (c->ClassName() == "TLabel" && c->Name().rfind("lab_IPAddrDot", 0) == 0) {
      EXPECT_FALSE(c->OnClick) << c->Name();
    }
  }
  EXPECT_FALSE(f.lab_Step1->OnClick) << "the device page is not one of the two";
}

struct LanguageCase {
  const char* name;
  std::optional<std::string> value;
  bool key;
  std::string expected;
  bool unknown_traced;
};

class LanguageValueTest : public WizardTest, public ::testing::WithParamInterface<LanguageCase> {};

TEST_P(LanguageValueTest, TheLanguageComesFromTheRegistry) {
  const LanguageCase& c = GetParam();
  language_ = c.value;
  Start(false);
  EXPECT_EQ(form_Main->languageName.bytes(), c.expected);
  EXPECT_EQ(Traced("Language type is unknown!"), c.unknown_traced);
}

INSTANTIATE_TEST_SUITE_P(Cases, LanguageValueTest,
                         ::testing::Values(LanguageCase{"german", "German", true, "German", false},
                                           LanguageCase{"no_value", std::nullopt, true, "", true}),
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
