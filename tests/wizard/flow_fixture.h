#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "text/language_strings.h"
#include "wizard/dialogs/login_dialog.h"
#include "wizard/main_form.h"
#include "wizard_fixture.h"

// The wizard driven page by page as a user drives it: the buttons of the button row clicked by
// their labels, the device picked from the grid, the password typed into the mirrored edits.
class FlowTest : public WizardTest {
 protected:
  static std::string Text(const platform::AnsiString& slot) { return platform::FromAnsi(slot); }

  // A click on a control of the main window; a second click on the same control comes after the
  // double-click interval, as a user's would, so that it is not taken for a double click.
  void Click(const std::string& name) {
    if (name == last_clicked_ && Now() - last_click_ms_ <= kDoubleClickMs) {
      RunFor(kDoubleClickMs + 1 - (Now() - last_click_ms_));
    }
    driver_.Click(name);
    last_clicked_ = name;
    last_click_ms_ = Now();
  }
  void ClickNext() { Click("lab_btnNext"); }
  void ClickBack() { Click("lab_btnBack"); }
  void ClickCancel() { Click("lab_btnCancel"); }

  void TypeInto(const std::string& mirror, const std::string& text) {
    Click(mirror);
    driver_.Type(text);
  }

  // Starts with the box on the LAN (unless the test added its boxes), picks the first row of the
  // list and presses Next; a box without a password is then on the password page.
  void PickFirstBox() {
    Start();
    WaitForRoundEnd();
    ASSERT_GE(form_Main->ListView1->Count(), 1);
    ClickDeviceRow(0);
    ClickNext();
  }
  void ToPasswordPage(const sim::BoxConfig& box = {}) {
    AddBox(box);
    PickFirstBox();
    ASSERT_EQ(Page(), form_Main->tab_UserPassValid);
  }
  void ToSettingsPage(const sim::BoxConfig& box = {}) {
    ToPasswordPage(box);
    TypeInto("lab_editNewPassword1", "secret1");
    TypeInto("lab_editNewPassword2", "secret1");
    ClickNext();
    ASSERT_EQ(Page(), form_Main->tab_CurrentSettings) << LastMessage();
  }

  // A script for the login dialog: "admin" and the password, then OK. A dialog that stays open
  // (the password was refused) is closed, so that the test goes on to fail instead of waiting.
  static std::function<void()> AnswerLoginWith(std::string password) {
    return [password] {
      Tform_UsernamePassValid& dialog = *form_UsernamePassValid;
      dialog.edit_Username->SetText("admin");
      dialog.edit_Password->SetText(password);
      dialog.btn_OKClick(&dialog);
      if (dialog.Visible() && dialog.ModalResult() == mrNone) dialog.Close();
    };
  }

  std::vector<std::string> MessageTexts() const {
    std::vector<std::string> texts;
    for (const Message& m : messages_) texts.push_back(m.text);
    return texts;
  }

 private:
  std::string last_clicked_;
  uint64_t last_click_ms_ = 0;
};
