#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "flow_fixture.h"
#include "toolkit/application.h"
#include "toolkit/painter.h"
#include "wizard/dialogs/apply_progress.h"
#include "wizard/dialogs/confirm_format.h"
#include "wizard/dialogs/login_dialog.h"
#include "wizard/dialogs/message_box.h"

namespace {

// The message, format-confirmation and progress dialogs, shown and answered by the test itself:
// the fixture's automatic answers are taken off again.
class DialogTest : public FlowTest {
 protected:
  void StartWithoutAutomaticAnswers() {
    Start();
    form_MessageBox->OnShow = [](TObject* sender) { form_MessageBox->FormShow(sender); };
    form_ConfirmFormat->OnShow = [](TObject* sender) { form_ConfirmFormat->FormShow(sender); };
  }

  // Runs `show` (a modal display of `dialog`) and `inside` once the dialog is up. A dialog that
  // `inside` leaves open fails the test and is closed.
  static void WhileShown(TForm* dialog, const std::function<void()>& show, const std::function<void()>& inside) {
    Application->Post([dialog, inside] {
      ASSERT_TRUE(dialog->Modal());
      inside();
      if (Closing(dialog)) return;
      ADD_FAILURE() << dialog->Name() << " was left open";
      dialog->Close();
    });
    show();
  }
  static bool Closing(const TForm* dialog) { return !dialog->Visible() || dialog->ModalResult() != mrNone; }

  static void ShowMessage(const platform::AnsiString& text, int kind, const std::function<void()>& inside) {
    WhileShown(
        form_MessageBox, [&] { form_Main->ShowWizardMessage(text, kind); }, inside);
  }
  static void ShowConfirmation(const std::function<void()>& inside) {
    WhileShown(
        form_ConfirmFormat, [] { form_ConfirmFormat->ShowModal(); }, inside);
  }

  // The look of an image button: which picture shows and the label's colour.
  struct ButtonLook {
    bool over;
    TColor label;
    friend bool operator==(const ButtonLook&, const ButtonLook&) = default;
  };
  static ButtonLook Look(TForm* dialog, const std::string& button) {
    TDriver d(dialog);
    const bool normal = d.Find("img_" + button + "_Normal")->Visible();
    const bool over = d.Find("img_" + button + "_Over")->Visible();
    EXPECT_NE(normal, over) << button << ": one of the two pictures shows";
    return {over, d.Get<TLabel>("lab_" + button)->Font()->Color()};
  }
};

// A point of the dialogs' background picture, clear of every other control.
constexpr int kBackgroundX = 126, kBackgroundY = 15;

TEST_F(DialogTest, EachKindShowsItsIconAndButtonsAndAnUnknownKindKeepsTheLastLayout) {
  StartWithoutAutomaticAnswers();
  struct Case {
    int kind;
    int icon;  // 0 information, 1 warning, 2 error
    bool cancel;
  };
  const Case cases[] = {{0, 0, true}, {1, 1, false}, {7, 1, false}, {2, 2, false}, {0, 0, true}, {-1, 0, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE("kind " + std::to_string(c.kind));
    ShowMessage(str_Msg18, c.kind, [&] {
      Tform_MessageBox& m = *form_MessageBox;
      EXPECT_EQ(m.msgType, c.kind);
      EXPECT_EQ(m.lab_Message->Caption(), Text(str_Msg18));
      EXPECT_EQ(m.img_ICONINFORMATION->Visible(), c.icon == 0);
      EXPECT_EQ(m.img_ICONWARNING->Visible(), c.icon == 1);
      EXPECT_EQ(m.img_ICONERROR->Visible(), c.icon == 2);
      EXPECT_EQ(m.img_btnCancel_Normal->Visible(), c.cancel);
      EXPECT_EQ(m.lab_btnCancel->Visible(), c.cancel);
      EXPECT_FALSE(m.img_btnCancel_Over->Visible());
      EXPECT_TRUE(m.img_btnOK_Normal->Visible());
      EXPECT_TRUE(m.lab_btnOK->Visible());
      m.lab_btnOKClick(&m);
    });
  }
}

TEST_F(DialogTest, OnlyOkOfAQuestionSetsTheFlagAndEveryButtonCloses) {
  StartWithoutAutomaticAnswers();
  struct Case {
    int kind;
    int preset;
    const char* button;
    bool on_picture;  // clicked on the Over picture rather than on the label
    int expected;
  };
  const Case cases[] = {
      {0, 0, "OK", false, 1}, {0, 0, "OK", true, 1}, {0, 0, "Cancel", false, 0}, {0, 3, "Cancel", true, 3},
      {1, 0, "OK", false, 0}, {2, 0, "OK", true, 0}, {1, 3, "OK", true, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("kind " + std::to_string(c.kind) + " " + c.button + (c.on_picture ? " picture" : " label"));
    RunFor(kDoubleClickMs + 1);  // each answer a click of its own, not the second of a double click
    form_Main->msgBoxResultOK = c.preset;
    ShowMessage(str_Msg18, c.kind, [&] {
      TDriver d(form_MessageBox);
      const std::string button = std::string("btn") + c.button;
      if (c.on_picture) {
        // The top of the picture, above its label: the Over picture, shown by the hover, takes it.
        const TPoint at = d.Find("img_" + button + "_Normal")->ClientToForm({50, 3});
        d.ClickAt(at.X, at.Y);
      } else {
        d.Click("lab_" + button);
      }
      EXPECT_TRUE(Closing(form_MessageBox));
    });
    EXPECT_FALSE(form_MessageBox->Visible());
    EXPECT_EQ(form_Main->msgBoxResultOK, c.expected);
  }
}

// A close from the desktop (the window manager's, Alt+F4) acts as the dialog's Cancel: a question
// and a ticked format confirmation close without setting their flag.
TEST_F(DialogTest, ACloseFromTheDesktopActsAsCancel) {
  StartWithoutAutomaticAnswers();
  form_Main->msgBoxResultOK = 3;
  ShowMessage(str_Msg18, 0, [] {
    form_MessageBox->CloseFromDesktop();
    EXPECT_TRUE(Closing(form_MessageBox));
  });
  EXPECT_EQ(form_Main->msgBoxResultOK, 3);
  form_Main->formatConfirmed = 0;
  ShowConfirmation([] {
    TDriver(form_ConfirmFormat).Click("lab_checkBoxFormatDisk");
    ASSERT_TRUE(form_ConfirmFormat->btn_OK->Enabled());
    form_ConfirmFormat->CloseFromDesktop();
    EXPECT_TRUE(Closing(form_ConfirmFormat));
  });
  EXPECT_EQ(form_Main->formatConfirmed, 0);
}

TEST_F(DialogTest, EnterClosesAWarningOrAnErrorButNotAQuestion) {
  StartWithoutAutomaticAnswers();
  for (const int kind : {0, 1, 2}) {
    SCOPED_TRACE("kind " + std::to_string(kind));
    form_Main->msgBoxResultOK = 0;
    ShowMessage(str_Msg15, kind, [&] {
      TDriver d(form_MessageBox);
      d.Key(VK_ESCAPE);
      d.Type("x ");
      EXPECT_FALSE(Closing(form_MessageBox)) << "no other key is handled";
      d.Enter();
      EXPECT_EQ(Closing(form_MessageBox), kind != 0);
      if (kind == 0) form_MessageBox->lab_btnCancelClick(form_MessageBox);
    });
    EXPECT_EQ(form_Main->msgBoxResultOK, 0);
  }
}

struct LinkCase {
  const char* name;
  const char* language;
  bool firewall_text;   // the language's firewall message, else another one
  std::string literal;  // a text given as it stands instead of a slot
  bool link;
  friend void PrintTo(const LinkCase& c, std::ostream* out) { *out << c.name; }
};

class MessageLinkTest : public DialogTest, public ::testing::WithParamInterface<LinkCase> {};

TEST_P(MessageLinkTest, TheWebLinkComesOnlyWithTheFirewallMessageOfTheCurrentLanguage) {
  const LinkCase& c = GetParam();
  language_ = c.language;
  StartWithoutAutomaticAnswers();
  const platform::AnsiString text = !c.literal.empty() ? platform::AnsiString(c.literal)
                                    : c.firewall_text  ? str_Msg22
                                                       : str_Msg15;
  for (const int kind : {2, 0}) {
    ShowMessage(text, kind, [&] {
      EXPECT_EQ(form_MessageBox->lab_GoToWebSetup->Visible(), c.link) << "kind " << kind;
      EXPECT_EQ(form_MessageBox->lab_GoToWebSetup->Caption(), Text(str_Msg23));
      form_MessageBox->lab_btnOKClick(form_MessageBox);
    });
  }
}

const char* const kEnglishFirewallText =
    "For ensure the program can function normally, please disable the firewall first. Or set up by Web interface:";

INSTANTIATE_TEST_SUITE_P(
    Cases, MessageLinkTest,
    ::testing::Values(LinkCase{"english_firewall", "English", true, "", true},
                      LinkCase{"english_other", "English", false, "", false},
                      LinkCase{"english_firewall_text_as_such", "English", false, kEnglishFirewallText, true},
                      LinkCase{"german_firewall", "German", true, "", true},
                      LinkCase{"german_other", "German", false, "", false},
                      LinkCase{"german_with_the_english_text", "German", false, kEnglishFirewallText, false},
                      LinkCase{"french_firewall", "French", true, "", true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DialogTest, TheLinkOpensTheChosenBoxsWebPageAndLeavesTheMessageOpen) {
  sim::BoxConfig box;
  box.address = sim::Ipv4Of("192.168.1.44");
  AddBox(box);
  StartWithoutAutomaticAnswers();
  WaitForRoundEnd();
  ASSERT_NE(form_Main->ListView1->Selected(), nullptr);
  ShowMessage(str_Msg22, 2, [&] {
    TDriver d(form_MessageBox);
    d.MoveTo("lab_GoToWebSetup");
    EXPECT_EQ(Screen->Cursor(), crHandPoint);
    d.Click("lab_GoToWebSetup");
    EXPECT_FALSE(Closing(form_MessageBox));
    d.MoveTo(kBackgroundX, kBackgroundY);
    EXPECT_EQ(Screen->Cursor(), crDefault);
    form_MessageBox->lab_btnOKClick(form_MessageBox);
  });
  ASSERT_EQ(world_.shell().OpenedTargets().size(), 1u);
  EXPECT_EQ(world_.shell().OpenedTargets()[0].target, "http://192.168.1.44");
  EXPECT_TRUE(Traced("Tform_MessageBox::lab_GoToWebSetupClick- http://192.168.1.44"));
}

TEST_F(DialogTest, WithoutAChosenBoxTheLinkOpensNothingAndSaysWhy) {
  StartWithoutAutomaticAnswers();
  WaitForRoundEnd();
  ASSERT_EQ(form_Main->ListView1->Selected(), nullptr);
  ShowMessage(str_Msg22, 2, [&] {
    TDriver(form_MessageBox).Click("lab_GoToWebSetup");
    EXPECT_FALSE(Closing(form_MessageBox));
    form_MessageBox->lab_btnOKClick(form_MessageBox);
  });
  EXPECT_TRUE(world_.shell().OpenedTargets().empty());
  EXPECT_TRUE(Traced("Tform_MessageBox::lab_GoToWebSetupClick- no device is selected, nothing to open"));
}

TEST_F(DialogTest, AMessageLongerThanItsLabelIsCutOffAtTheLabelsEdge) {
  StartWithoutAutomaticAnswers();
  auto below_the_label = [] {
    const std::shared_ptr<TBitmapData> picture = RenderForm(*form_MessageBox);
    const TLabel& label = *form_MessageBox->lab_Message;
    std::vector<uint32_t> pixels;
    for (int y = label.Top() + label.Height(); y < form_MessageBox->img_btnOK_Normal->Top(); ++y) {
      for (int x = label.Left(); x < label.Left() + label.Width(); ++x) pixels.push_back(picture->At(x, y));
    }
    return pixels;
  };
  std::vector<uint32_t> with_short_text, with_long_text;
  ShowMessage(platform::AnsiString("Short."), 2, [&] {
    with_short_text = below_the_label();
    form_MessageBox->lab_btnOKClick(form_MessageBox);
  });
  std::string long_text;
  for (int i = 0; i < 40; ++i) long_text += "A rather long message line that wraps. ";
  ShowMessage(platform::AnsiString(long_text), 2, [&] {
    EXPECT_EQ(form_MessageBox->lab_Message->Caption(), long_text) << "the text is shown unchanged";
    EXPECT_EQ(form_MessageBox->lab_Message->Width(), 171);
    EXPECT_EQ(form_MessageBox->lab_Message->Height(), 118);
    with_long_text = below_the_label();
    form_MessageBox->lab_btnOKClick(form_MessageBox);
  });
  ASSERT_FALSE(with_short_text.empty());
  EXPECT_TRUE(with_short_text == with_long_text) << "nothing of the text is drawn below the label";
}

// Every image button of the dialogs hovers alike; moving over the background (or the message
// text) gives the normal look back.
TEST_F(DialogTest, TheImageButtonsHoverAndTheBackgroundTakesTheHoverAway) {
  StartWithoutAutomaticAnswers();
  struct Case {
    TForm* dialog;
    std::string button;
    std::string away;  // a control whose mouse move runs the leave rule
  };
  auto check = [&](const Case& c) {
    SCOPED_TRACE(c.dialog->Name() + " " + c.button + " then " + c.away);
    TDriver d(c.dialog);
    d.MoveTo(kBackgroundX, kBackgroundY);
    EXPECT_EQ(Look(c.dialog, c.button), (ButtonLook{false, clBtnFace}));
    d.MoveTo("img_" + c.button + "_Normal");
    EXPECT_EQ(Look(c.dialog, c.button), (ButtonLook{true, clBtnHighlight}));
    EXPECT_EQ(Screen->Cursor(), crHandPoint);
    d.MoveTo("lab_" + c.button);
    EXPECT_EQ(Look(c.dialog, c.button), (ButtonLook{true, clBtnHighlight})) << "the label keeps the hover";
    if (c.away.empty()) {
      d.MoveTo(kBackgroundX, kBackgroundY);
    } else {
      d.MoveTo(c.away);
    }
    EXPECT_EQ(Look(c.dialog, c.button), (ButtonLook{false, clBtnFace}));
    EXPECT_EQ(Screen->Cursor(), crDefault);
  };
  ShowMessage(str_Msg18, 0, [&] {
    for (const Case& c : {Case{form_MessageBox, "btnOK", ""}, Case{form_MessageBox, "btnCancel", ""},
                          Case{form_MessageBox, "btnOK", "lab_Message"}}) {
      check(c);
    }
    form_MessageBox->lab_btnCancelClick(form_MessageBox);
  });
  ShowConfirmation([&] {
    check({form_ConfirmFormat, "btnCancel", ""});
    form_ConfirmFormat->lab_checkBoxFormatDiskClick(form_ConfirmFormat);
    check({form_ConfirmFormat, "btnOK", ""});
    form_ConfirmFormat->btn_CancelClick(form_ConfirmFormat);
  });
}

TEST_F(DialogTest, TheDialogsShareOutlineCaptionCentringAndDragging) {
  StartWithoutAutomaticAnswers();
  form_Main->SetBounds(100, 50, form_Main->Width(), form_Main->Height());
  form_Main->SetCaption("Changed after the dialogs were made");
  struct Case {
    TForm* dialog;
    int width, height, ellipse;
    std::string text;  // a text of the dialog, which does not drag it
  };
  const Case cases[] = {{form_ApplyProgress, 253, 135, 15, "lab_ApplyStatus"},
                        {form_MessageBox, 253, 220, 20, "lab_Message"},
                        {form_ConfirmFormat, 253, 220, 15, "lab_WARNING"},
                        {form_UsernamePassValid, 253, 220, 15, "lab_UserPassDesc"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dialog->Name());
    EXPECT_EQ(c.dialog->Width(), c.width);
    EXPECT_EQ(c.dialog->Height(), c.height);
    ASSERT_TRUE(c.dialog->WindowRegion());
    const TWindowRegion region = *c.dialog->WindowRegion();
    EXPECT_EQ((std::vector<int>{region.Left, region.Top, region.Right, region.Bottom, region.EllipseWidth,
                                region.EllipseHeight}),
              (std::vector<int>{0, 0, c.width, c.height, c.ellipse, c.ellipse}));
    EXPECT_EQ(c.dialog->Caption(), "Orvo NAS Setup Wizard") << "copied from the main window when it was made";
    WhileShown(
        c.dialog, [&] { c.dialog->ShowModal(); },
        [&] {
          EXPECT_EQ(c.dialog->Left(), 100 + (683 - c.width) / 2);
          EXPECT_EQ(c.dialog->Top(), 50 + (440 - c.height) / 2);
          TDriver d(c.dialog);
          const int moves = c.dialog->MoveRequests();
          d.Press(kBackgroundX, kBackgroundY);
          d.Release(kBackgroundX, kBackgroundY);
          EXPECT_EQ(c.dialog->MoveRequests(), moves + 1) << "the background drags the window";
          d.Press(d.CenterOf(c.text).X, d.CenterOf(c.text).Y);
          EXPECT_EQ(c.dialog->MoveRequests(), moves + 1);
          c.dialog->Close();
        });
  }
}

TEST_F(DialogTest, ADialogTakesTheMainWindowsCaptionAsItStandsWhenTheDialogIsShaped) {
  StartWithoutAutomaticAnswers();
  form_Main->SetCaption("Orvo NAS Setup Wizard - a caption of its own");
  TForm dialog(nullptr);
  ShapeDialog(dialog, 253, 135, 15);
  EXPECT_EQ(dialog.Caption(), "Orvo NAS Setup Wizard - a caption of its own");
  EXPECT_EQ(dialog.Width(), 253);
  EXPECT_EQ(dialog.Height(), 135);
}

TEST_F(DialogTest, TheConfirmationOpensUntickedWithOkDisabledEvenWhenLeftTicked) {
  StartWithoutAutomaticAnswers();
  Tform_ConfirmFormat& c = *form_ConfirmFormat;
  auto only_box_picture = [&](TImage* shown) {
    for (TImage* p : {c.img_checkBoxFormatDisk_checkedNormal, c.img_checkBoxFormatDisk_checkedOver,
                      c.img_checkBoxFormatDisk_uncheckedNormal, c.img_checkBoxFormatDisk_uncheckedOver}) {
      if (p->Visible() != (p == shown)) return false;
    }
    return true;
  };
  auto expect_unticked = [&] {
    EXPECT_FALSE(c.checkBox_FormatDisk->Checked());
    EXPECT_FALSE(c.btn_OK->Enabled());
    EXPECT_EQ(Look(&c, "btnOK"), (ButtonLook{false, clBtnShadow}));
    EXPECT_TRUE(only_box_picture(c.img_checkBoxFormatDisk_uncheckedNormal));
  };
  form_Main->formatConfirmed = 0;
  ShowConfirmation([&] {
    expect_unticked();
    TDriver(&c).Click("lab_checkBoxFormatDisk");
    EXPECT_TRUE(c.checkBox_FormatDisk->Checked());
    EXPECT_TRUE(c.btn_OK->Enabled());
    TDriver(&c).Click("lab_btnCancel");
    EXPECT_TRUE(Closing(&c));
  });
  EXPECT_EQ(form_Main->formatConfirmed, 0) << "Cancel confirms nothing";
  ShowConfirmation([&] {
    expect_unticked();
    // Even a hover look left from the last showing is gone.
    TDriver(&c).MoveTo("img_checkBoxFormatDisk_uncheckedNormal");
    EXPECT_TRUE(only_box_picture(c.img_checkBoxFormatDisk_uncheckedOver));
    c.btn_CancelClick(&c);
  });
  ShowConfirmation([&] {
    expect_unticked();
    c.btn_CancelClick(&c);
  });
}

TEST_F(DialogTest, TheDisabledOkIgnoresHoverAndClicksUntilTheBoxIsTicked) {
  StartWithoutAutomaticAnswers();
  Tform_ConfirmFormat& c = *form_ConfirmFormat;
  form_Main->formatConfirmed = 0;
  ShowConfirmation([&] {
    TDriver d(&c);
    d.MoveTo("img_btnOK_Normal");
    EXPECT_EQ(Look(&c, "btnOK"), (ButtonLook{false, clBtnShadow}));
    EXPECT_EQ(Screen->Cursor(), crDefault);
    d.Click("lab_btnOK");
    c.btn_OKClick(&c);
    EXPECT_FALSE(Closing(&c));
    EXPECT_FALSE(Traced("Tform_ConfirmFormat::btn_OKClick"));

    d.Click("lab_checkBoxFormatDisk");
    EXPECT_EQ(Look(&c, "btnOK"), (ButtonLook{false, clBtnFace}));
    d.MoveTo("img_btnOK_Normal");
    EXPECT_EQ(Look(&c, "btnOK"), (ButtonLook{true, clBtnHighlight}));
    d.Click("lab_btnOK");
    EXPECT_TRUE(Closing(&c));
  });
  EXPECT_EQ(form_Main->formatConfirmed, 1);
  EXPECT_TRUE(Traced("Tform_ConfirmFormat::btn_OKClick"));
}

TEST_F(DialogTest, TheFormatBoxTogglesFromItsLabelOrOverPictureWithItsOwnHover) {
  StartWithoutAutomaticAnswers();
  Tform_ConfirmFormat& c = *form_ConfirmFormat;
  auto shown = [&] {
    std::vector<std::string> names;
    for (TImage* p : {c.img_checkBoxFormatDisk_checkedNormal, c.img_checkBoxFormatDisk_checkedOver,
                      c.img_checkBoxFormatDisk_uncheckedNormal, c.img_checkBoxFormatDisk_uncheckedOver}) {
      if (p->Visible()) names.push_back(p->Name());
    }
    return names;
  };
  using Names = std::vector<std::string>;
  ShowConfirmation([&] {
    TDriver d(&c);
    d.MoveTo("img_checkBoxFormatDisk_uncheckedNormal");
    EXPECT_EQ(shown(), Names{"img_checkBoxFormatDisk_uncheckedOver"});
    EXPECT_EQ(c.lab_checkBoxFormatDisk->Font()->Color(), clBtnHighlight);
    EXPECT_EQ(Screen->Cursor(), crHandPoint);
    d.MoveTo(kBackgroundX, kBackgroundY);
    EXPECT_EQ(shown(), Names{"img_checkBoxFormatDisk_uncheckedNormal"});
    EXPECT_EQ(c.lab_checkBoxFormatDisk->Font()->Color(), clBtnFace);
    EXPECT_EQ(Screen->Cursor(), crDefault);

    d.Click("img_checkBoxFormatDisk_uncheckedOver");
    EXPECT_TRUE(c.checkBox_FormatDisk->Checked());
    EXPECT_TRUE(c.btn_OK->Enabled());
    EXPECT_EQ(shown(), Names{"img_checkBoxFormatDisk_checkedOver"}) << "the pointer still hovers the ticked box";
    d.MoveTo(kBackgroundX, kBackgroundY);
    EXPECT_EQ(shown(), Names{"img_checkBoxFormatDisk_checkedNormal"});
    d.MoveTo("lab_checkBoxFormatDisk");
    EXPECT_EQ(shown(), Names{"img_checkBoxFormatDisk_checkedOver"});
    d.MoveTo(kBackgroundX, kBackgroundY);
    EXPECT_EQ(shown(), Names{"img_checkBoxFormatDisk_checkedNormal"});

    d.Click("lab_checkBoxFormatDisk");
    EXPECT_FALSE(c.checkBox_FormatDisk->Checked());
    EXPECT_FALSE(c.btn_OK->Enabled());
    EXPECT_EQ(shown(), Names{"img_checkBoxFormatDisk_uncheckedNormal"});
    c.btn_CancelClick(&c);
  });
}

TEST_F(DialogTest, AMessageShownOverTheModalProgressDialogReturnsToIt) {
  StartWithoutAutomaticAnswers();
  Tform_ApplyProgress& p = *form_ApplyProgress;
  EXPECT_EQ(p.ProgressBar1->Min(), 0);
  EXPECT_EQ(p.ProgressBar1->Max(), 320);
  WhileShown(
      &p, [&] { p.ShowModal(); },
      [&] {
        ShowMessage(str_Msg15, 1, [&] {
          EXPECT_EQ(Application->ModalForms(), (std::vector<TForm*>{&p, form_MessageBox}));
          EXPECT_TRUE(p.Visible());
          EXPECT_FALSE(p.AcceptsInput());
          TDriver(form_MessageBox).Click("lab_btnOK");
        });
        EXPECT_EQ(Application->ModalForms(), std::vector<TForm*>{&p});
        EXPECT_TRUE(p.Visible());
        EXPECT_TRUE(p.AcceptsInput());
        EXPECT_FALSE(form_Main->AcceptsInput());
        p.Close();
      });
  EXPECT_TRUE(Application->ModalForms().empty());
  EXPECT_TRUE(form_Main->AcceptsInput());
}

}  // namespace
