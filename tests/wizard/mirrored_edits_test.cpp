#include <gtest/gtest.h>

#include <climits>

#include "pages_fixture.h"

namespace {

constexpr uint16_t kEndKey = 35;

class MirroredEditTest : public PagesTest {
 protected:
  void ToSettings() {
    LogIn(FreshBox());
    ToSettingsPage();
  }
};

struct RenderCase {
  const char* name;
  bool settings_page;  // else the password page
  const char* edit;
  const char* mirror;
  const char* text;
  const char* change;  // at once after the change
  const char* on;      // first tick after the entry
  const char* off;     // second tick
  const char* exit;
};

class MirrorRenderingTest : public MirroredEditTest, public ::testing::WithParamInterface<RenderCase> {};

TEST_P(MirrorRenderingTest, TheMirrorShowsTheChangeTheTwoCaretPhasesAndTheExit) {
  const RenderCase& c = GetParam();
  if (c.settings_page) {
    ToSettings();
  } else {
    LogIn(FreshBox());
  }
  TEdit* edit = Edit(c.edit);
  TLabel* mirror = Label(c.mirror);
  driver_.Click(c.mirror);
  ASSERT_EQ(Focused(), edit);
  const uint64_t entered = Now();
  edit->SetText(c.text);
  EXPECT_EQ(mirror->Caption(), c.change);
  RunTo(entered + 500);
  EXPECT_EQ(mirror->Caption(), c.on);
  RunTo(entered + 1000);
  EXPECT_EQ(mirror->Caption(), c.off);
  driver_.Tab();
  ASSERT_NE(Focused(), edit);
  EXPECT_EQ(mirror->Caption(), c.exit);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, MirrorRenderingTest,
    ::testing::Values(
        RenderCase{"password_empty", false, "edit_NewPassword1", "lab_editNewPassword1", "", "", "|", "", ""},
        RenderCase{"password_three", false, "edit_NewPassword1", "lab_editNewPassword1", "abc", "***", "***|", "***",
                   "***"},
        RenderCase{"second_password", false, "edit_NewPassword2", "lab_editNewPassword2", "x", "*", "*|", "*", "*"},
        RenderCase{"device_name", true, "edit_DeviceName", "lab_editDeviceName", "box", "box", "box|", "box", "box"},
        RenderCase{"device_name_empty", true, "edit_DeviceName", "lab_editDeviceName", "", "", "|", "", ""},
        RenderCase{"octet_empty", true, "edit_IPAddr2", "lab_IPAddr2", "", "   ", "  |", "   ", ""},
        RenderCase{"octet_one_digit", true, "edit_IPAddr2", "lab_IPAddr2", "7", " 7 ", " 7|", " 7 ", "7"},
        RenderCase{"octet_two_digits", true, "edit_IPAddr2", "lab_IPAddr2", "19", "19 ", "19|", "19 ", "19"},
        RenderCase{"octet_full", true, "edit_IPAddr2", "lab_IPAddr2", "192", "192", "192", "192", "192"}),
    [](const auto& info) { return info.param.name; });

TEST_F(MirroredEditTest, TheCaretBlinksOnExactHalfSecondsAndTypingKeepsItsPhase) {
  ToSettings();
  TLabel* mirror = form_Main->lab_IPDNS2_1;
  ASSERT_EQ(form_Main->edit_IPDNS2_1->Text(), "") << "the box has no second server";
  driver_.Click("lab_IPDNS2_1");
  const uint64_t t0 = Now();
  EXPECT_EQ(mirror->Font()->Style(), fsUnderline) << "underlined while focused";
  RunTo(t0 + 499);
  EXPECT_EQ(mirror->Caption(), "   ") << "no caret before the first tick";
  RunTo(t0 + 500);
  EXPECT_EQ(mirror->Caption(), "  |");
  RunTo(t0 + 999);
  EXPECT_EQ(mirror->Caption(), "  |");
  RunTo(t0 + 1000);
  EXPECT_EQ(mirror->Caption(), "   ");
  RunTo(t0 + 1500);
  EXPECT_EQ(mirror->Caption(), "  |");
  RunTo(t0 + 1700);
  driver_.Type("1");
  EXPECT_EQ(mirror->Caption(), " 1 ") << "a change draws at once, without caret";
  RunTo(t0 + 2000);
  EXPECT_EQ(mirror->Caption(), " 1 ") << "the phase runs on: this tick is an off tick";
  RunTo(t0 + 2500);
  EXPECT_EQ(mirror->Caption(), " 1|");

  driver_.Tab();
  EXPECT_EQ(mirror->Caption(), "1") << "the exit rendering is not padded";
  EXPECT_EQ(mirror->Font()->Style(), 0u);
  EXPECT_EQ(form_Main->lab_IPDNS2_2->Font()->Style(), fsUnderline) << "the caret went on with the focus";
  RunTo(t0 + 4000);
  EXPECT_EQ(mirror->Caption(), "1") << "no caret where the focus was";
}

TEST_F(MirroredEditTest, AFullOctetMakesNoCaretDecisionSoTheCaretComesBackInItsPhase) {
  ToSettings();
  TLabel* mirror = form_Main->lab_IPAddr1;
  driver_.Click("lab_IPAddr1");
  const uint64_t t0 = Now();
  for (uint64_t t : {t0 + 500, t0 + 1000}) {
    RunTo(t);
    EXPECT_EQ(mirror->Caption(), "192");
    EXPECT_EQ(form_Main->CaretBlinkCounter, 1);
  }
  driver_.Key(kEndKey);
  driver_.Backspace();
  EXPECT_EQ(form_Main->edit_IPAddr1->Text(), "19");
  EXPECT_EQ(mirror->Caption(), "19 ");
  RunTo(t0 + 1500);
  EXPECT_EQ(mirror->Caption(), "19|") << "the counter still says: caret on";
}

TEST_F(MirroredEditTest, ANegativeCounterRestartsAtZeroAndTheCounterMayRunPastItsLargestValue) {
  ToSettings();
  TLabel* mirror = form_Main->lab_IPDNS2_1;
  driver_.Click("lab_IPDNS2_1");
  const uint64_t t0 = Now();
  form_Main->CaretBlinkCounter = -7;
  RunTo(t0 + 500);
  EXPECT_EQ(mirror->Caption(), "   ") << "restarted at 0: caret off";
  EXPECT_EQ(form_Main->CaretBlinkCounter, 1);
  RunTo(t0 + 1000);
  EXPECT_EQ(mirror->Caption(), "  |");

  form_Main->CaretBlinkCounter = INT32_MAX;
  RunTo(t0 + 1500);
  EXPECT_EQ(mirror->Caption(), "  |");
  EXPECT_LT(form_Main->CaretBlinkCounter, 0) << "past the largest value the count turns negative";
  RunTo(t0 + 2000);
  EXPECT_EQ(mirror->Caption(), "   ");
  EXPECT_EQ(form_Main->CaretBlinkCounter, 1);
}

TEST_F(MirroredEditTest, AClickOnAMirrorSelectsTheWholeTextSoTheFirstCharacterReplacesIt) {
  LogIn(FreshBox());
  driver_.Click("lab_editNewPassword1");
  driver_.Type("abc");
  driver_.Click("lab_editNewPassword2");
  driver_.Click("img_NewPassword1BG");
  ASSERT_EQ(Focused(), form_Main->edit_NewPassword1);
  driver_.Type("x");
  EXPECT_EQ(form_Main->edit_NewPassword1->Text(), "x");
  EXPECT_EQ(form_Main->lab_editNewPassword1->Caption(), "*");
}

TEST_F(MirroredEditTest, PasswordMirrorsFocusOnlyWhileANewPasswordIsWanted) {
  LogInWithPassword(FreshBox());
  ASSERT_TRUE(form_Main->checkBox_UseOriginalPassword->Checked());
  TWinControl* before = Focused();
  for (const char* mirror : {"lab_editNewPassword1", "img_NewPassword1BG", "lab_editNewPassword2"}) {
    driver_.Click(mirror);
    EXPECT_EQ(Focused(), before) << mirror;
  }
  EXPECT_FALSE(form_Main->timer_FakeEdit->Enabled());
  driver_.Click("lab_checkBoxUseOriginalPassword");
  driver_.Click("img_NewPassword2BG");
  EXPECT_EQ(Focused(), form_Main->edit_NewPassword2);
}

TEST_F(MirroredEditTest, AClickOnAnAddressRowBesideItsOctetsClosesTheListsAndFocusesTheDeviceName) {
  ToSettings();
  driver_.Click("lab_IPAddr1");
  ASSERT_EQ(Focused(), form_Main->edit_IPAddr1);
  driver_.Click("lab_comboBoxTimeZone");
  ASSERT_TRUE(form_Main->sg_TimeZone->Visible());
  for (TImage* row : {form_Main->img_IPAddr, form_Main->img_IPDNS2}) {
    const TPoint corner = row->ClientToForm({4, 4});
    driver_.ClickAt(corner.X, corner.Y);
    EXPECT_FALSE(form_Main->sg_TimeZone->Visible()) << row->Name();
    EXPECT_EQ(Focused(), form_Main->edit_DeviceName) << row->Name();
    driver_.Click("lab_IPAddr1");
  }

  // With the page locked to the box's values the click focuses nothing, and still closes the list.
  form_Main->checkBox_UseDefaultDNTZandNetwork->SetChecked(true);
  TWinControl* before = Focused();
  form_Main->sg_TimeZone->Show();
  const TPoint corner = form_Main->img_IPMask->ClientToForm({4, 4});
  driver_.ClickAt(corner.X, corner.Y);
  EXPECT_FALSE(form_Main->sg_TimeZone->Visible());
  EXPECT_EQ(Focused(), before);
}

}  // namespace
