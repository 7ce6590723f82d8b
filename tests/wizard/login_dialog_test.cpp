#include "wizard/dialogs/login_dialog.h"

#include <gtest/gtest.h>

#include "exchange_fixture.h"
#include "toolkit/driver.h"
#include "toolkit/timer.h"
#include "wizard/main_form.h"

// The login dialog, shown when the first login attempt (with an empty password) is refused, and
// driven here with the keys and the mouse.

namespace {

const std::string kUserInvalid = "The username is not valid, please check it again.";
const std::string kPasswordInvalid = "The password is not valid, please check it again.";
const std::string kConnectionFailed = "The connection is failed, please try it later.";

class LoginDialogTest : public ExchangeTest {
 protected:
  // A box with a password, found and chosen; Next makes the first attempt, which shows the dialog,
  // and `script` acts in it. Returns when the dialog has closed.
  void OpenDialog(const std::function<void()>& script, const std::string& password = "orvo") {
    if (!box_) {
      sim::BoxConfig config;
      config.admin_password = password;
      AddTheBox(config);
      StartAndFindTheBox();
    }
    on_login_dialog_ = [this, script] {
      shown_ = true;
      script();
      // A script that leaves the dialog open ends it here with Cancel.
      if (form_UsernamePassValid->Visible())
        form_UsernamePassValid->btn_CancelClick(form_UsernamePassValid->btn_Cancel);
      if (form_UsernamePassValid->Visible() && form_UsernamePassValid->ModalResult() == mrNone) {
        ADD_FAILURE() << "Cancel did not close the dialog";
        form_UsernamePassValid->Close();
      }
    };
    shown_ = false;
    form_Main->btn_NextClick(form_Main->btn_Next);
    ASSERT_TRUE(shown_) << "the first attempt did not fail";
    ASSERT_FALSE(form_UsernamePassValid->Visible());
  }
  // Connections the PC made to the box.
  size_t TcpExchanges() {
    size_t n = 0;
    for (const sim::BoxRequest& r : box().Requests()) n += r.transport == "tcp" ? 1 : 0;
    return n;
  }
  TWinControl* Focused() const { return form_UsernamePassValid->ActiveControl(); }
  bool ButtonsEnabled() const {
    return form_UsernamePassValid->btn_OK->Enabled() && form_UsernamePassValid->btn_Cancel->Enabled();
  }
  void TypeLogin(const std::string& user, const std::string& password) {
    dialog_.Type(user);
    dialog_.Tab();
    dialog_.Type(password);
  }

  void Bind() { dialog_.SetForm(form_UsernamePassValid); }
  // Lets `ms` pass, the timers due at its end included.
  void Pass(uint64_t ms) {
    RunFor(ms);
    Application->ProcessMessages();
  }
  // A click on the edge of a row's picture, where its mirror label does not cover it.
  void ClickPictureEdge(const TControl* picture) {
    dialog_.ClickAt(picture->Left() + 2, picture->Top() + picture->Height() / 2);
  }

  TDriver dialog_{nullptr};
  bool shown_ = false;
};

// The user name is checked at home: nothing reaches the box.
TEST_F(LoginDialogTest, AUserNameOtherThanAdminIsRefusedWithoutAsking) {
  for (const char* user : {"Admin", ""}) {
    SCOPED_TRACE(std::string("user \"") + user + "\"");
    messages_.clear();
    OpenDialog([&] {
      Bind();
      const size_t before = TcpExchanges();
      const size_t sent = Sent().size();
      TypeLogin(user, "orvo");
      dialog_.Enter();
      ASSERT_EQ(messages_.size(), 1u);
      EXPECT_EQ(messages_[0].text, kUserInvalid);
      EXPECT_EQ(messages_[0].kind, 2);
      EXPECT_EQ(form_UsernamePassValid->edit_Username->Text(), "");
      EXPECT_EQ(form_UsernamePassValid->edit_Password->Text(), "");
      EXPECT_EQ(form_UsernamePassValid->lab_editPassword->Caption(), "");
      EXPECT_EQ(Focused(), form_UsernamePassValid->edit_Username);
      EXPECT_TRUE(ButtonsEnabled());
      EXPECT_TRUE(form_UsernamePassValid->Visible());
      EXPECT_EQ(TcpExchanges(), before);
      EXPECT_EQ(Sent().size(), sent) << "no network traffic";
    });
    EXPECT_EQ(form_Main->PageControl1->ActivePage(), form_Main->tab_NASList);
  }
}

TEST_F(LoginDialogTest, AWrongPasswordKeepsTheDialogForAnotherTry) {
  OpenDialog([&] {
    Bind();
    TypeLogin("admin", "guess");
    dialog_.Enter();
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].text, kPasswordInvalid);
    EXPECT_EQ(messages_[0].kind, 2);
    EXPECT_EQ(form_UsernamePassValid->edit_Username->Text(), "admin") << "the user name stays";
    EXPECT_EQ(form_UsernamePassValid->edit_Password->Text(), "");
    EXPECT_EQ(Focused(), form_UsernamePassValid->edit_Password);
    EXPECT_TRUE(ButtonsEnabled());
    ASSERT_TRUE(form_UsernamePassValid->Visible());
    dialog_.Type("orvo");
    dialog_.Enter();
  });
  EXPECT_EQ(messages_.size(), 1u);
  EXPECT_EQ(form_Main->PageControl1->ActivePage(), form_Main->tab_UserPassValid);
  EXPECT_STREQ(form_Main->SelectedNasRecord.userName.data(), "admin");
  EXPECT_STREQ(form_Main->SelectedNasRecord.adminPassword.data(), "orvo");
}

// A box that cannot be reached, or that closes the connection early, ends the dialog and the
// device list is searched again.
TEST_F(LoginDialogTest, AnUnreachableBoxEndsTheDialogAndSearchesAgain) {
  const sim::TcpShape shapes[] = {sim::TcpShape::kRefuse, sim::TcpShape::kCloseAfter300};
  for (const sim::TcpShape shape : shapes) {
    SCOPED_TRACE(shape == sim::TcpShape::kRefuse ? "refused" : "closed early");
    messages_.clear();
    bool searching = false;
    OpenDialog([&] {
      Bind();
      SetFaults([&](sim::BoxFaults& f) { f.tcp_shape = shape; });
      TypeLogin("admin", "orvo");
      dialog_.Enter();
      searching = form_Main->timer_DeviceDiscovery->Enabled();
    });
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].text, kConnectionFailed);
    EXPECT_EQ(messages_[0].kind, 1);
    EXPECT_TRUE(searching) << "a new discovery round";
    EXPECT_EQ(form_Main->PageControl1->ActivePage(), form_Main->tab_NASList);
    SetFaults([](sim::BoxFaults& f) { f.tcp_shape = sim::TcpShape::kWhole; });
    WaitForRoundEnd();
  }
}

// While an attempt runs (it pumps messages), Enter and Cancel do nothing.
TEST_F(LoginDialogTest, EnterAndCancelDuringAnAttemptDoNothing) {
  size_t exchanges_before = 0;
  bool pressed = false, open_after = false;
  OpenDialog([&] {
    Bind();
    exchanges_before = TcpExchanges();
    TypeLogin("admin", "orvo");
    TTimer meanwhile(Application);
    meanwhile.SetInterval(10);
    meanwhile.OnTimer = [&](TObject*) {
      if (pressed) return;
      pressed = true;
      dialog_.Enter();
      dialog_.Click("lab_btnCancel");
      open_after = form_UsernamePassValid->Visible() && form_UsernamePassValid->ModalResult() == mrNone;
    };
    dialog_.Enter();
  });
  EXPECT_TRUE(pressed) << "the keys came during the attempt";
  EXPECT_TRUE(open_after);
  EXPECT_EQ(TcpExchanges() - exchanges_before, 2u) << "one probe and one settings read";
  EXPECT_EQ(form_Main->PageControl1->ActivePage(), form_Main->tab_UserPassValid);
}

TEST_F(LoginDialogTest, PasswordsOfTwentyCharactersAreStoredWholeAndShownAsStars) {
  const std::string twenty = "abcdefghijklmnopqrst";
  OpenDialog(
      [&] {
        Bind();
        TypeLogin("admin", twenty + "uvwxy");
        EXPECT_EQ(form_UsernamePassValid->edit_Password->Text(), twenty) << "the edit takes 20";
        EXPECT_EQ(form_UsernamePassValid->lab_editPassword->Caption(), std::string(20, '*'));
        dialog_.Enter();
      },
      twenty);
  EXPECT_EQ(form_Main->PageControl1->ActivePage(), form_Main->tab_UserPassValid);
  EXPECT_EQ(std::string(form_Main->SelectedNasRecord.adminPassword.data()), twenty);
}

// The fields follow the longer of the two row labels, which carry language texts.
TEST_F(LoginDialogTest, LongerRowLabelsMoveTheFieldsAtTheNextShowing) {
  Tform_UsernamePassValid* d = nullptr;
  struct Placement {
    int label, picture, mirror;
  };
  auto placement = [&] {
    EXPECT_EQ(d->lab_Password->Left(), d->lab_Username->Left());
    EXPECT_EQ(d->img_editUsername->Left(), d->img_editPassword->Left());
    EXPECT_EQ(d->lab_editUsername->Left(), d->lab_editPassword->Left());
    return Placement{d->lab_Username->Left(), d->img_editPassword->Left(), d->lab_editUsername->Left()};
  };
  auto expected = [&] {
    const int w = std::max(d->lab_Username->Width(), d->lab_Password->Width());
    const int x = (248 - w - d->img_editPassword->Width()) / 2;
    return Placement{x, x + w + 5, x + w + 15};
  };
  Placement first{}, second{};
  OpenDialog([&] {
    d = form_UsernamePassValid;
    first = placement();
    const Placement e = expected();
    EXPECT_EQ(first.label, e.label);
    EXPECT_EQ(first.picture, e.picture);
    EXPECT_EQ(first.mirror, e.mirror);
  });
  const int before = form_UsernamePassValid->lab_Password->Width();
  form_UsernamePassValid->lab_Password->SetCaption("Mot de passe : ");
  ASSERT_GT(form_UsernamePassValid->lab_Password->Width(), before);
  OpenDialog([&] {
    second = placement();
    const Placement e = expected();
    EXPECT_EQ(second.label, e.label);
    EXPECT_EQ(second.picture, e.picture);
    EXPECT_EQ(second.mirror, e.mirror);
  });
  EXPECT_GT(second.picture, first.picture);
  EXPECT_GT(second.mirror, first.mirror);
}

// The mirror labels show the edits, with a caret that blinks every 500 ms in the focused one;
// the blink phase is not reset when the focus moves.
TEST_F(LoginDialogTest, TheFocusedMirrorLabelBlinksItsCaret) {
  OpenDialog([&] {
    Bind();
    Tform_UsernamePassValid& d = *form_UsernamePassValid;
    ASSERT_EQ(Focused(), d.edit_Username);
    dialog_.Type("ad");
    EXPECT_EQ(d.lab_editUsername->Caption(), "ad");
    Pass(500);
    EXPECT_EQ(d.lab_editUsername->Caption(), "ad|");
    Pass(500);
    EXPECT_EQ(d.lab_editUsername->Caption(), "ad");
    dialog_.Tab();
    EXPECT_EQ(Focused(), d.edit_Password);
    Pass(500);
    EXPECT_EQ(d.lab_editPassword->Caption(), "|") << "the phase went on";
    EXPECT_EQ(d.lab_editUsername->Caption(), "ad") << "no caret where the focus is not";
    dialog_.Type("xyz");
    EXPECT_EQ(d.lab_editPassword->Caption(), "***");
    Pass(500);
    EXPECT_EQ(d.lab_editPassword->Caption(), "***|");
    dialog_.Tab();
    EXPECT_EQ(Focused(), d.btn_OK);
    EXPECT_EQ(d.lab_editPassword->Caption(), "***");
    EXPECT_TRUE(d.lab_btnOK->GetFont().Style() & fsUnderline);
    dialog_.Tab();
    EXPECT_EQ(Focused(), d.btn_Cancel);
    EXPECT_FALSE(d.lab_btnOK->GetFont().Style() & fsUnderline);
    EXPECT_TRUE(d.lab_btnCancel->GetFont().Style() & fsUnderline);
    Pass(1000);
    EXPECT_EQ(d.lab_editPassword->Caption(), "***") << "the caret timer is off";
    // A click on a row's picture or mirror label focuses that row's edit.
    ClickPictureEdge(d.img_editPassword);
    EXPECT_EQ(Focused(), d.edit_Username) << "the picture on the user-name row";
    ClickPictureEdge(d.img_editUsername);
    EXPECT_EQ(Focused(), d.edit_Password) << "the picture on the password row";
    dialog_.Click("lab_editUsername");
    EXPECT_EQ(Focused(), d.edit_Username);
  });
}

}  // namespace
