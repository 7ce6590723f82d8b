#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <ostream>

#include "client/form_connection_test.h"
#include "flow_fixture.h"
#include "platform/code_page.h"
#include "scratch_folder.h"
#include "toolkit/timer.h"
#include "wizard/dialogs/apply_progress.h"
#include "wizard/dialogs/confirm_format.h"
#include "wizard/dialogs/login_dialog.h"
#include "wizard/dialogs/message_box.h"

namespace {

using PageFlowTest = FlowTest;

size_t FirewallCalls(sim::World& world) { return world.firewall().Calls().size(); }

void BlockTheFirewall(sim::World& world) {
  platform::FirewallProfileState profile = world.firewall().Profile();
  profile.firewall_enabled = true;
  profile.exceptions_not_allowed = true;
  world.firewall().SetProfile(profile);
}

void AllowTheFirewall(sim::World& world) {
  platform::FirewallProfileState profile = world.firewall().Profile();
  profile.exceptions_not_allowed = false;
  world.firewall().SetProfile(profile);
}

TEST_F(PageFlowTest, NextWhileDisabledDoesNothingNotEvenTheFirewallCheckOrClosingTheDropDown) {
  ToSettingsPage();
  driver_.Click("lab_comboBoxTimeZone");
  ASSERT_TRUE(form_Main->sg_TimeZone->Visible());
  form_Main->btn_Next->SetEnabled(false);
  BlockTheFirewall(world_);
  const size_t calls = FirewallCalls(world_);
  ClickNext();
  EXPECT_EQ(Page(), form_Main->tab_CurrentSettings);
  EXPECT_TRUE(form_Main->sg_TimeZone->Visible());
  EXPECT_EQ(FirewallCalls(world_), calls);
  EXPECT_TRUE(messages_.empty()) << LastMessage();
  EXPECT_TRUE(world_.processes().Pings().empty());
}

TEST_F(PageFlowTest, AFirewallWithoutExceptionsKeepsThePageWithItsMessageUntilItLetsTheWizardThrough) {
  ToSettingsPage();
  driver_.Click("lab_comboBoxTimeZone");
  BlockTheFirewall(world_);
  ClickNext();
  EXPECT_EQ(Page(), form_Main->tab_CurrentSettings);
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].text, Text(str_Msg22));
  EXPECT_EQ(messages_[0].kind, 2);
  EXPECT_TRUE(form_Main->sg_TimeZone->Visible()) << "the drop-down is closed only after the firewall check";
  EXPECT_TRUE(world_.processes().Pings().empty());

  ClickNext();
  EXPECT_EQ(messages_.size(), 2u) << "the check is made again at every Next";

  AllowTheFirewall(world_);
  world_.processes().AnswerPings(sim::Ipv4Of("192.168.1.1"));
  world_.processes().AnswerPings(sim::Ipv4Of("8.8.8.8"));
  ClickNext();
  EXPECT_FALSE(form_Main->sg_TimeZone->Visible());
  EXPECT_EQ(Page(), form_Main->tab_DiskConfiguration) << LastMessage();
  EXPECT_EQ(messages_.size(), 2u);
}

TEST_F(PageFlowTest, NextOnTheDevicePageNeedsARowAndStartsFromAZeroedRecord) {
  sim::BoxConfig guarded;
  guarded.admin_password = "orvo";
  guarded.address = sim::Ipv4Of("192.168.1.21");
  guarded.mac = {0x00, 0x11, 0x32, 0x00, 0x00, 0x21};
  guarded.host_name = "B";
  AddBox(guarded);
  sim::BoxConfig fresh;
  fresh.host_name = "A";
  AddBox(fresh);
  Start();
  WaitForRoundEnd();
  ASSERT_EQ(form_Main->ListView1->Count(), 2);

  // No row chosen: even with Next usable nothing is tried.
  form_Main->ListView1->SetItemIndex(-1);
  ASSERT_TRUE(form_Main->btn_Next->Enabled());
  ClickNext();
  EXPECT_EQ(Page(), form_Main->tab_NASList);
  EXPECT_FALSE(Traced("Tform_Main::GetNASInfo- User Name: admin"));

  // The box with a password: the empty password fails and the login dialog takes over, without a
  // message of the page flow.
  int dialogs = 0;
  on_login_dialog_ = [&] {
    ++dialogs;
    AnswerLoginWith("orvo")();
  };
  const int guarded_row = form_Main->ListView1->Item(0)->SubItems()[0] == "192.168.1.21" ? 0 : 1;
  ClickDeviceRow(guarded_row);
  ClickNext();
  EXPECT_EQ(dialogs, 1);
  ASSERT_EQ(Page(), form_Main->tab_UserPassValid) << LastMessage();
  EXPECT_TRUE(messages_.empty()) << LastMessage();
  EXPECT_STREQ(form_Main->SelectedNasRecord.DeviceIdentifierString.data(), "00:11:32:00:00:21");
  EXPECT_STREQ(form_Main->SelectedNasRecord.userName.data(), "admin");
  EXPECT_STREQ(form_Main->SelectedNasRecord.adminPassword.data(), "orvo");

  // Back on the list the other box is chosen: its first login goes with the empty password again.
  ClickBack();
  ASSERT_EQ(Page(), form_Main->tab_NASList);
  WaitForRoundEnd();
  ClickDeviceRow(1 - guarded_row);
  ClickNext();
  EXPECT_EQ(dialogs, 1) << "the fresh box takes the empty password";
  ASSERT_EQ(Page(), form_Main->tab_UserPassValid);
  EXPECT_STREQ(form_Main->SelectedNasRecord.DeviceIdentifierString.data(), "00:11:32:AB:CD:EF");
  EXPECT_EQ(form_Main->SelectedNasRecord.adminPassword[0], 0);
}

TEST_F(PageFlowTest, ASecondNextWhileTheLoginRunsIsRefusedByTheFirstGate) {
  sim::BoxConfig slow;
  slow.faults.reply_delay_ms = 300;
  AddBox(slow);
  Start();
  WaitForRoundEnd();
  ClickDeviceRow(0);
  bool next_usable_meanwhile = true;
  Application->Post([&] {
    next_usable_meanwhile = form_Main->btn_Next->Enabled();
    form_Main->btn_NextClick(form_Main->lab_btnNext);
  });
  ClickNext();
  EXPECT_FALSE(next_usable_meanwhile);
  EXPECT_EQ(std::count(traces_.begin(), traces_.end(), "Tform_Main::GetNASInfo- User Name: admin"), 1);
  EXPECT_EQ(Page(), form_Main->tab_UserPassValid);
}

// The password page's tests in their order, each on the same page: the failing ones stay there.
TEST_F(PageFlowTest, ThePasswordPageRefusesWhatItMustWithItsMessageFocusAndClearing) {
  ToPasswordPage();
  struct Case {
    std::string first, second;
    const platform::AnsiString* message;
    bool cleared;
    bool focus_second;
  };
  const Case cases[] = {
      {"", "", &str_Msg1, false, false},           {"", "abc", &str_Msg1, false, false},
      {"abc", "", &str_Msg2, false, true},         {"abc", "abd", &str_Msg3, true, false},
      {"abc", "abc ", &str_Msg3, true, false},     {"   ", "   ", &str_Msg4, true, false},
      {"a b", "a b", &str_Msg4, true, false},      {"a b:", "a b:", &str_Msg4, true, false},
      {"ab:c", "ab:c", &str_Msg24, true, false},   {"@", "@", &str_Msg24, true, false},
      {"a-b", "a-b", &str_Msg24, true, false},     {"a/b", "a/b", &str_Msg24, true, false},
      {"a\\b", "a\\b", &str_Msg24, true, false},   {"100%", "100%", &str_Msg24, true, false},
      {"say\"", "say\"", &str_Msg24, true, false}, {"it's", "it's", &str_Msg24, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("\"" + c.first + "\" / \"" + c.second + "\"");
    messages_.clear();
    form_Main->edit_NewPassword1->SetText(c.first);
    form_Main->edit_NewPassword2->SetText(c.second);
    form_Main->FocusControl(nullptr);
    ClickNext();
    EXPECT_EQ(Page(), form_Main->tab_UserPassValid);
    ASSERT_EQ(MessageTexts(), std::vector<std::string>{Text(*c.message)});
    EXPECT_EQ(messages_[0].kind, 2);
    EXPECT_EQ(form_Main->edit_NewPassword1->Text(), c.cleared ? "" : c.first);
    EXPECT_EQ(form_Main->edit_NewPassword2->Text(), c.cleared ? "" : c.second);
    EXPECT_EQ(form_Main->ActiveControl(), c.focus_second ? form_Main->edit_NewPassword2 : form_Main->edit_NewPassword1);
  }
  messages_.clear();
  form_Main->edit_NewPassword1->SetText("Secret_1.x");
  form_Main->edit_NewPassword2->SetText("Secret_1.x");
  ClickNext();
  EXPECT_EQ(Page(), form_Main->tab_CurrentSettings);
  EXPECT_TRUE(messages_.empty()) << LastMessage();
}

// Every request after the settings write carries the password in the header's field of 31 bytes:
// in a double-byte code page a password of few characters can need more, and is refused as not
// valid, as a forbidden character is.
TEST_F(PageFlowTest, APasswordLongerThanTheRequestHeaderCarriesIsRefused) {
  struct CodePage {
    CodePage() { platform::SetSystemCodePage(932); }
    ~CodePage() { platform::SetSystemCodePage(0); }
  } japanese;
  ToPasswordPage();
  auto kanji = [](int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += "\xE6\x97\xA5";  // two bytes in code page 932
    return text;
  };
  const struct {
    std::string password;
    bool refused;
  } cases[] = {
      {kanji(16), true},         // 32 bytes
      {kanji(15) + "ab", true},  // 32 bytes
      {kanji(20), true},         // 40 bytes, what the edit admits
      {kanji(15) + "a", false},  // 31 bytes
      {std::string(20, 'p'), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.password);
    ASSERT_EQ(Page(), form_Main->tab_UserPassValid);
    messages_.clear();
    form_Main->edit_NewPassword1->SetText(c.password);
    form_Main->edit_NewPassword2->SetText(c.password);
    form_Main->FocusControl(nullptr);
    ClickNext();
    if (c.refused) {
      EXPECT_EQ(Page(), form_Main->tab_UserPassValid);
      ASSERT_EQ(MessageTexts(), std::vector<std::string>{Text(str_Msg17)});
      EXPECT_EQ(messages_[0].kind, 2);
      EXPECT_EQ(form_Main->edit_NewPassword1->Text(), "");
      EXPECT_EQ(form_Main->edit_NewPassword2->Text(), "");
      EXPECT_EQ(form_Main->ActiveControl(), form_Main->edit_NewPassword1);
    } else {
      EXPECT_EQ(Page(), form_Main->tab_CurrentSettings);
      EXPECT_TRUE(messages_.empty()) << LastMessage();
      ClickBack();
    }
  }
}

TEST_F(PageFlowTest, TheDeviceNameMustBeGivenWithoutASpaceAndKeepsWhatWasTyped) {
  ToSettingsPage();
  struct Case {
    std::string name;
    const platform::AnsiString* message;
  };
  for (const Case& c : {Case{"", &str_Msg5}, Case{"my nas", &str_Msg6}, Case{" ", &str_Msg6}}) {
    SCOPED_TRACE("\"" + c.name + "\"");
    messages_.clear();
    form_Main->edit_DeviceName->SetText(c.name);
    form_Main->FocusControl(nullptr);
    ClickNext();
    EXPECT_EQ(Page(), form_Main->tab_CurrentSettings);
    ASSERT_EQ(MessageTexts(), std::vector<std::string>{Text(*c.message)});
    EXPECT_EQ(messages_[0].kind, 2);
    EXPECT_EQ(form_Main->edit_DeviceName->Text(), c.name);
    EXPECT_EQ(form_Main->ActiveControl(), form_Main->edit_DeviceName);
  }
  EXPECT_TRUE(world_.processes().Pings().empty());
}

TEST_F(PageFlowTest, AFixedAddressThatFailsItsCheckKeepsThePageAndTestsNothing) {
  ToSettingsPage();
  Click("lab_radioFixedIP");
  ASSERT_TRUE(form_Main->radio_FixedIP->Checked());
  form_Main->edit_IPGateway3->SetText("2");
  ClickNext();
  EXPECT_EQ(Page(), form_Main->tab_CurrentSettings);
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{Text(str_Msg20)});
  EXPECT_TRUE(world_.processes().Pings().empty());
}

TEST_F(PageFlowTest, AutomaticAddressAndDnsGoToTheDiskPageWithoutATest) {
  sim::BoxConfig box;
  box.dns1 = 0;
  ToSettingsPage(box);
  ASSERT_TRUE(form_Main->radio_AutoIP->Checked());
  ASSERT_TRUE(form_Main->radio_AutoDNS->Checked());
  ClickNext();
  EXPECT_EQ(Page(), form_Main->tab_DiskConfiguration);
  EXPECT_TRUE(messages_.empty()) << LastMessage();
  EXPECT_TRUE(world_.processes().Pings().empty());
}

// The reachability test's outcome and the failure page's text, line by line.
struct FailureLine {
  const char* prefix;
  int slot;          // n of str_LabConnectionFailedErrorMsgn
  const char* host;  // "gw", "dns" or ""
};

struct ReachabilityCase {
  const char* name;
  bool fixed_ip;
  const char* dns1;  // "" leaves the first DNS group empty
  bool gateway_answers, dns_answers, public_answers;
  int result;
  std::vector<FailureLine> lines;
  friend void PrintTo(const ReachabilityCase& c, std::ostream* out) { *out << c.name; }
};

class ReachabilityTest : public FlowTest, public ::testing::WithParamInterface<ReachabilityCase> {};

std::string Slot(int n) {
  const platform::AnsiString* slots[] = {
      &str_LabConnectionFailedErrorMsg1,  &str_LabConnectionFailedErrorMsg2, &str_LabConnectionFailedErrorMsg3,
      &str_LabConnectionFailedErrorMsg4,  &str_LabConnectionFailedErrorMsg5, &str_LabConnectionFailedErrorMsg6,
      &str_LabConnectionFailedErrorMsg7,  &str_LabConnectionFailedErrorMsg8, &str_LabConnectionFailedErrorMsg9,
      &str_LabConnectionFailedErrorMsg10, &str_LabConnectionFailedErrorMsg11};
  return platform::FromAnsi(*slots[n - 1]);
}

TEST_P(ReachabilityTest, TheResultChoosesThePageAndTheFailureText) {
  const ReachabilityCase& c = GetParam();
  const std::string gw = c.fixed_ip ? "192.168.1.1" : "...";
  const std::string dns = *c.dns1 ? c.dns1 : "...";
  if (c.gateway_answers) world_.processes().AnswerPings(sim::Ipv4Of("192.168.1.1"));
  if (c.dns_answers) world_.processes().AnswerPings(sim::Ipv4Of(c.dns1));
  if (c.public_answers) world_.processes().AnswerPings(sim::Ipv4Of("208.67.222.222"));
  sim::BoxConfig box;
  box.dns1 = sim::Ipv4Of("192.168.1.53");
  box.dns2 = sim::Ipv4Of("192.168.1.54");
  ToSettingsPage(box);
  if (c.fixed_ip) Click("lab_radioFixedIP");
  ASSERT_EQ(form_Main->radio_FixedIP->Checked(), c.fixed_ip);
  ASSERT_TRUE(form_Main->radio_FixedDNS->Checked());
  std::string text = c.dns1;
  for (TEdit* e :
       {form_Main->edit_IPDNS1_1, form_Main->edit_IPDNS1_2, form_Main->edit_IPDNS1_3, form_Main->edit_IPDNS1_4}) {
    const size_t dot = text.find('.');
    e->SetText(text.substr(0, dot));
    text = dot == std::string::npos ? "" : text.substr(dot + 1);
  }
  const std::string caption_before = form_Main->lab_ConnectionFailedErrorMsg->Caption();
  std::string status_at_show;
  const TNotifyEvent shown = form_ConnectionTest->OnShow;
  form_ConnectionTest->OnShow = [&](TObject* sender) {
    status_at_show = form_ConnectionTest->lab_TestStatus->Caption();
    if (shown) shown(sender);
  };

  ClickNext();
  EXPECT_EQ(status_at_show, Text(str_LabTestStatus4));
  EXPECT_EQ(form_ConnectionTest->gatewayHost.bytes(), gw);
  EXPECT_EQ(form_ConnectionTest->primaryDnsHost.bytes(), dns);
  EXPECT_EQ(form_ConnectionTest->ConnectionTestResult, c.result);
  EXPECT_FALSE(form_ConnectionTest->Visible());
  EXPECT_TRUE(messages_.empty()) << LastMessage();
  if (c.result == 4) {
    EXPECT_EQ(Page(), form_Main->tab_DiskConfiguration);
    EXPECT_EQ(form_Main->lab_ConnectionFailedErrorMsg->Caption(), caption_before);
    return;
  }
  EXPECT_EQ(Page(), form_Main->tab_CurrentSettings_ConnectionFailed);
  std::string expected;
  for (const FailureLine& line : c.lines) {
    if (!expected.empty()) expected += "\n";
    const std::string host = std::string(line.host) == "gw" ? gw : std::string(line.host) == "dns" ? dns : "";
    expected += line.prefix + Slot(line.slot) + host;
  }
  EXPECT_EQ(form_Main->lab_ConnectionFailedErrorMsg->Caption(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Results, ReachabilityTest,
    ::testing::Values(
        ReachabilityCase{"r0_gateway_silent", true, "192.168.1.53", false, true, true, 0, {{"", 1, "gw"}, {"", 2, ""}}},
        ReachabilityCase{"r1_only_gateway",
                         true,
                         "192.168.1.53",
                         true,
                         false,
                         false,
                         1,
                         {{"(1) ", 3, "gw"}, {"(2) ", 4, "dns"}, {"(3) ", 5, ""}, {"", 2, ""}}},
        ReachabilityCase{"r2_primary_dns_silent",
                         true,
                         "192.168.1.53",
                         true,
                         false,
                         true,
                         2,
                         {{"(1) ", 4, "dns"}, {"(2) ", 6, ""}, {"", 7, ""}, {"", 8, ""}}},
        ReachabilityCase{"r3_public_dns_silent",
                         true,
                         "192.168.1.53",
                         true,
                         true,
                         false,
                         3,
                         {{"(1) ", 9, "dns"}, {"(2) ", 5, ""}, {"", 10, ""}, {"", 11, ""}}},
        ReachabilityCase{"r4_everything_answers", true, "192.168.1.53", true, true, true, 4, {}},
        ReachabilityCase{"r5_automatic_address_dns_silent",
                         false,
                         "192.168.1.53",
                         false,
                         false,
                         false,
                         5,
                         {{"(1) ", 4, "dns"}, {"(2) ", 5, ""}, {"", 2, ""}}},
        ReachabilityCase{"r4_automatic_address", false, "192.168.1.53", false, true, true, 4, {}},
        ReachabilityCase{
            "r6_no_primary_dns", true, "", true, false, false, 6, {{"", 5, ""}, {"", 10, ""}, {"", 11, ""}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PageFlowTest, TheFailurePageLeadsBackUnlessTheIgnoreBoxIsTickedAndStartsUntickedEveryTime) {
  ToSettingsPage();  // automatic address, DNS 192.168.1.1, which does not answer
  ClickNext();
  ASSERT_EQ(Page(), form_Main->tab_CurrentSettings_ConnectionFailed);
  TImage* const unticked = form_Main->img_IgnoreConnectionFailMsg_uncheckedNormal;
  auto only_unticked_shown = [&] {
    for (TImage* p :
         {form_Main->img_IgnoreConnectionFailMsg_checkedNormal, form_Main->img_IgnoreConnectionFailMsg_checkedOver,
          unticked, form_Main->img_IgnoreConnectionFailMsg_uncheckedOver}) {
      if (p->Visible() != (p == unticked)) return false;
    }
    return true;
  };
  EXPECT_FALSE(form_Main->checkBox_IgnoreConnectionFailMsg->Checked());
  EXPECT_TRUE(only_unticked_shown());
  ClickNext();
  EXPECT_EQ(Page(), form_Main->tab_CurrentSettings);

  ClickNext();
  ASSERT_EQ(Page(), form_Main->tab_CurrentSettings_ConnectionFailed);
  Click("img_IgnoreConnectionFailMsg_uncheckedOver");
  ASSERT_TRUE(form_Main->checkBox_IgnoreConnectionFailMsg->Checked());
  ClickBack();
  ASSERT_EQ(Page(), form_Main->tab_CurrentSettings);
  ClickNext();
  ASSERT_EQ(Page(), form_Main->tab_CurrentSettings_ConnectionFailed);
  EXPECT_FALSE(form_Main->checkBox_IgnoreConnectionFailMsg->Checked()) << "the page starts unticked";
  EXPECT_TRUE(only_unticked_shown());

  Click("img_IgnoreConnectionFailMsg_uncheckedOver");
  ClickNext();
  EXPECT_EQ(Page(), form_Main->tab_DiskConfiguration);
  EXPECT_TRUE(messages_.empty()) << LastMessage();
}

// The connection test closes itself once it has its outcome. Every close before that is refused,
// the desktop's (the window manager's) as the window's own: before the test's timer has fired, and
// while its pings run. The page flow then reads the outcome that the test made.
TEST_F(PageFlowTest, TheConnectionTestRefusesEveryCloseUntilItHasItsOutcome) {
  world_.processes().AnswerPings(sim::Ipv4Of("192.168.1.1"));
  world_.processes().AnswerPings(sim::Ipv4Of("8.8.8.8"));
  ToSettingsPage();
  Click("lab_radioFixedIP");
  struct Case {
    const char* what;
    uint32_t after_show_ms;  // 0: at once
  } const cases[] = {{"before its timer", 0}, {"while its pings run", 1500}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_EQ(Page(), form_Main->tab_CurrentSettings);
    bool attempted = false, refused = false;
    size_t pings_started = 0;
    auto try_to_close = [&] {
      pings_started = world_.processes().Pings().size();
      form_ConnectionTest->CloseFromDesktop();
      form_ConnectionTest->Close();
      refused = form_ConnectionTest->Modal() && form_ConnectionTest->ModalResult() == mrNone;
      attempted = true;
    };
    TTimer closer(&app_);
    closer.SetEnabled(false);
    closer.SetInterval(std::max<uint32_t>(c.after_show_ms, 1));
    closer.OnTimer = [&](TObject*) {
      closer.SetEnabled(false);
      try_to_close();
    };
    const size_t pings_before = world_.processes().Pings().size();
    const TNotifyEvent shown = form_ConnectionTest->OnShow;
    form_ConnectionTest->OnShow = [&](TObject* sender) {
      if (shown) shown(sender);
      if (c.after_show_ms == 0) {
        Application->Post(try_to_close);
      } else {
        closer.SetEnabled(true);
      }
    };
    ClickNext();
    form_ConnectionTest->OnShow = shown;
    ASSERT_TRUE(attempted);
    EXPECT_TRUE(refused);
    EXPECT_EQ(pings_started > pings_before, c.after_show_ms > 0) << "the moment of the close";
    EXPECT_EQ(form_ConnectionTest->ConnectionTestResult, 4);
    EXPECT_EQ(Page(), form_Main->tab_DiskConfiguration);
    EXPECT_FALSE(form_ConnectionTest->Visible());
    ClickBack();
  }
}

TEST_F(PageFlowTest, AResultOutsideTheKnownOnesLeavesTheFailureTextAsItWas) {
  ToSettingsPage();
  form_Main->lab_ConnectionFailedErrorMsg->SetCaption("as it was");
  form_ConnectionTest->OnShow = [](TObject*) {
    form_ConnectionTest->timer_CheckConnection->SetEnabled(false);
    form_ConnectionTest->ConnectionTestResult = 9;
    Application->Post([] { form_ConnectionTest->Close(); });
  };
  ClickNext();
  EXPECT_EQ(Page(), form_Main->tab_CurrentSettings_ConnectionFailed);
  EXPECT_EQ(form_Main->lab_ConnectionFailedErrorMsg->Caption(), "as it was");
}

// Watches how the apply sequence is reached: the format confirmations (answered as the test says)
// and whether the progress window was shown.
class ApplyFlowTest : public FlowTest {
 protected:
  void WatchTheApply(bool confirm) {
    on_confirm_format_ = [this, confirm] {
      ++confirmations_;
      if (confirm) {
        form_ConfirmFormat->lab_checkBoxFormatDiskClick(form_ConfirmFormat);
        form_ConfirmFormat->btn_OKClick(form_ConfirmFormat);
      } else {
        form_ConfirmFormat->btn_CancelClick(form_ConfirmFormat);
      }
    };
    form_ApplyProgress->OnShow = [this](TObject*) { progress_shown_ = true; };
  }
  int confirmations_ = 0;
  bool progress_shown_ = false;
};

// The disk page: Apply at once without the format confirmation unless the box has disks and a new
// layout is chosen.
struct DiskPageCase {
  const char* name;
  sim::Disks disks;
  bool keep_layout;  // the use-current-configuration box ticked
  bool to_mapping_page;
  friend void PrintTo(const DiskPageCase& c, std::ostream* out) { *out << c.name; }
};

class DiskPageTest : public ApplyFlowTest, public ::testing::WithParamInterface<DiskPageCase> {};

TEST_P(DiskPageTest, NextGoesToTheDriveLettersOrAppliesAtOnce) {
  const DiskPageCase& c = GetParam();
  sim::BoxConfig box;
  box.dns1 = 0;
  box.disks = c.disks;
  ToSettingsPage(box);
  ClickNext();
  ASSERT_EQ(Page(), form_Main->tab_DiskConfiguration);
  if (form_Main->checkBox_UseDefaultDiskSetting->Checked() != c.keep_layout) {
    form_Main->checkBox_UseDefaultDiskSetting->SetChecked(c.keep_layout);
    form_Main->tab_DiskConfigurationShow(form_Main->tab_DiskConfiguration);
  }
  const std::string caption = Text(c.to_mapping_page ? str_BtnNext : str_BtnApply);
  EXPECT_EQ(form_Main->lab_btnNext->Caption(), caption);
  EXPECT_EQ(form_Main->btn_Next->Caption(), caption);
  WatchTheApply(false);
  ClickNext();
  if (c.to_mapping_page) {
    EXPECT_EQ(Page(), form_Main->tab_NetworkDiskMapping);
    EXPECT_FALSE(progress_shown_);
  } else {
    EXPECT_TRUE(progress_shown_);
    EXPECT_EQ(Page(), form_Main->tab_ClientSetupFinish) << LastMessage();
    EXPECT_FALSE(Traced("Tform_Main::btn_NextClick- Start to apply settings!!"));
  }
  EXPECT_EQ(confirmations_, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DiskPageTest,
    ::testing::Values(DiskPageCase{"no_disk", sim::Disks::None(), false, false},
                      DiskPageCase{"kept_layout", sim::Disks::Raid1(sim::FileSystem::kExt3), true, false},
                      DiskPageCase{"new_layout", sim::Disks::Raid1(sim::FileSystem::kExt3), false, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ApplyFlowTest, CancellingTheFormatConfirmationKeepsTheDriveLetterPageAndStartsNothing) {
  sim::BoxConfig box;
  box.dns1 = 0;
  box.disks = sim::Disks::OneUnformatted();
  ToSettingsPage(box);
  ClickNext();
  ASSERT_EQ(Page(), form_Main->tab_DiskConfiguration);
  ClickNext();
  ASSERT_EQ(Page(), form_Main->tab_NetworkDiskMapping);
  EXPECT_EQ(form_Main->lab_btnNext->Caption(), Text(str_BtnApply));

  WatchTheApply(false);
  form_Main->formatConfirmed = 1;
  ClickNext();
  EXPECT_EQ(confirmations_, 1);
  EXPECT_EQ(form_Main->formatConfirmed, 0);
  EXPECT_EQ(Page(), form_Main->tab_NetworkDiskMapping);
  EXPECT_FALSE(progress_shown_);
  EXPECT_FALSE(Traced("Tform_Main::btn_NextClick- Start to apply settings!!"));

  // Confirmed the next time: the apply sequence runs and the result page follows.
  WatchTheApply(true);
  ClickNext();
  EXPECT_EQ(confirmations_, 2);
  EXPECT_TRUE(progress_shown_);
  EXPECT_TRUE(Traced("Tform_Main::btn_NextClick- Start to apply settings!!"));
  EXPECT_EQ(Page(), form_Main->tab_ClientSetupFinish) << LastMessage();
}

TEST_F(PageFlowTest, AFailedApplyKeepsThePageItWasStartedFrom) {
  sim::BoxConfig box;
  box.dns1 = 0;
  box.faults.damaged_disk = true;
  ToSettingsPage(box);
  ClickNext();
  ASSERT_EQ(Page(), form_Main->tab_DiskConfiguration);
  bool progress_modal_during_message = false;
  const TNotifyEvent shown = form_MessageBox->OnShow;
  form_MessageBox->OnShow = [&](TObject* sender) {
    progress_modal_during_message = form_ApplyProgress->Modal() && form_ApplyProgress->Visible();
    shown(sender);
  };
  ClickNext();
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].kind, 1);
  EXPECT_TRUE(progress_modal_during_message);
  EXPECT_FALSE(form_ApplyProgress->Visible());
  EXPECT_EQ(Page(), form_Main->tab_DiskConfiguration);
}

// The result page's lines after an apply sequence, as its flags left them.
TEST_F(PageFlowTest, TheResultLinesShowEachOutcomeAndAFormerFailureTurnsBackToTheNormalColour) {
  Start();
  Tform_Main& f = *form_Main;
  struct Case {
    const char* name;
    int32_t disks;
    bool keep_layout;
    uint8_t settings, disk, mapping;
  };
  const Case cases[] = {
      {"everything failed", 2, false, 0, 0, 0},
      {"everything applied", 2, false, 1, 1, 1},
      {"disk applied, mapping failed", 1, false, 1, 1, 0},
      {"kept layout", 2, true, 0, 1, 0},
      {"no disk", 0, false, 1, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    f.PageControl1->SetActivePage(f.tab_NASList);
    f.SelectedNasRecord.diskLayout.diskAmount = c.disks;
    f.checkBox_UseDefaultDiskSetting->SetChecked(c.keep_layout);
    f.settingsApplied = c.settings;
    f.diskApplied = c.disk;
    f.driveMappingApplied = c.mapping;
    f.btn_Next->SetEnabled(false);
    f.PageControl1->SetActivePage(f.tab_ClientSetupFinish);
    auto expect_line = [](TLabel* label, bool ok) {
      SCOPED_TRACE(label->Name());
      EXPECT_EQ(label->Caption(), ok ? "OK." : "Failed!");
      EXPECT_EQ(label->Font()->Color(), ok ? clBtnFace : clRed);
    };
    for (TLabel* line : {f.lab_PasswordAppliedStatus, f.lab_DeviceAppliedStatus, f.lab_NetworkAppliedStatus}) {
      expect_line(line, c.settings != 0);
    }
    const bool disk_lines = c.disks > 0 && !c.keep_layout;
    for (TLabel* l : {f.lab_TitleDiskAppliedStatus, f.lab_DiskAppliedStatus, f.lab_separate4, f.lab_separate5,
                      f.lab_TitleNetworkDiskMappingStatus, f.lab_NetworkDiskMappingStatus}) {
      EXPECT_EQ(l->Visible(), disk_lines) << l->Name();
    }
    if (disk_lines) {
      expect_line(f.lab_DiskAppliedStatus, c.disk != 0);
      expect_line(f.lab_NetworkDiskMappingStatus, c.mapping != 0);
    }
    EXPECT_TRUE(f.btn_Next->Enabled());
    EXPECT_EQ(f.lab_btnNext->Font()->Color(), clBtnFace) << "Next has its usable look";
  }
}

TEST_F(PageFlowTest, EveryCdDriveThatHoldsTheAddInsFolderOpensItZSideFirstThenTheLastPage) {
  ScratchFolder e_disc, f_disc, z_disc, fixed;
  for (const ScratchFolder* folder : {&e_disc, &z_disc, &fixed}) {
    std::filesystem::create_directories(folder->path() / "Software Add-ins");
  }
  world_.drives().SetLocalDrive('E', platform::DRIVE_CDROM, e_disc.path().string());
  world_.drives().SetLocalDrive('F', platform::DRIVE_CDROM, f_disc.path().string());  // a disc without it
  world_.drives().SetLocalDrive('G', platform::DRIVE_CDROM);                          // no disc
  world_.drives().SetLocalDrive('H', platform::DRIVE_FIXED, fixed.path().string());
  world_.drives().SetLocalDrive('Z', platform::DRIVE_CDROM, z_disc.path().string());
  Start();
  form_Main->PageControl1->SetActivePage(form_Main->tab_ClientSetupFinish);
  ClickNext();
  EXPECT_EQ(Page(), form_Main->tab_TotalFinish);
  std::vector<std::string> opened;
  for (const auto& o : world_.shell().OpenedTargets()) opened.push_back(o.target);
  EXPECT_EQ(opened, (std::vector<std::string>{(z_disc.path() / "Software Add-ins").string(),
                                              (e_disc.path() / "Software Add-ins").string()}));
  EXPECT_FALSE(Application->Terminated());
}

TEST_F(PageFlowTest, WithoutACdTheResultPageStillLeadsToTheLastPage) {
  Start();
  form_Main->PageControl1->SetActivePage(form_Main->tab_ClientSetupFinish);
  ClickNext();
  EXPECT_EQ(Page(), form_Main->tab_TotalFinish);
  EXPECT_TRUE(world_.shell().OpenedTargets().empty());
}

TEST_F(PageFlowTest, FinishOpensTheChosenBoxsWebInterfaceAndEndsTheProgram) {
  sim::BoxConfig box;
  box.address = sim::Ipv4Of("192.168.1.37");
  AddBox(box);
  Start();
  WaitForRoundEnd();
  form_Main->PageControl1->SetActivePage(form_Main->tab_TotalFinish);
  EXPECT_EQ(form_Main->lab_btnNext->Caption(), Text(str_BtnFinish));
  ClickNext();
  ASSERT_EQ(world_.shell().OpenedTargets().size(), 1u);
  EXPECT_EQ(world_.shell().OpenedTargets()[0].target, "http://192.168.1.37");
  EXPECT_TRUE(Application->Terminated());
}

TEST_F(PageFlowTest, FinishWithoutAChosenRowOpensNothingAndStillEndsTheProgram) {
  Start();
  WaitForRoundEnd();
  ASSERT_EQ(form_Main->ListView1->Count(), 0);
  ASSERT_FALSE(form_Main->btn_Next->Enabled());
  // As after an apply sequence whose last round found no box: the result page makes Next usable.
  form_Main->PageControl1->SetActivePage(form_Main->tab_ClientSetupFinish);
  ClickNext();
  ASSERT_EQ(Page(), form_Main->tab_TotalFinish);
  ClickNext();
  EXPECT_TRUE(world_.shell().OpenedTargets().empty());
  EXPECT_TRUE(Traced("Tform_Main::btn_NextClick- no device is selected, the web interface is not opened"));
  EXPECT_TRUE(Application->Terminated());
}

size_t DiscoveryRounds(const std::vector<std::string>& traces) {
  return static_cast<size_t>(std::count(traces.begin(), traces.end(), "Tform_Main::tab_NASListShow(TObject *Sender)"));
}

TEST_F(PageFlowTest, BackLeadsToThePreviousPageWithoutAnyCheckAndDoesNothingWhereThereIsNone) {
  Start();
  WaitForRoundEnd();
  Tform_Main& f = *form_Main;
  BlockTheFirewall(world_);
  f.btn_Next->SetEnabled(false);
  const size_t firewall_calls = FirewallCalls(world_);
  struct Case {
    TTabSheet* from;
    TTabSheet* to;
  };
  const Case cases[] = {
      {f.tab_UserPassValid, f.tab_NASList},
      {f.tab_CurrentSettings, f.tab_UserPassValid},
      {f.tab_CurrentSettings_ConnectionFailed, f.tab_CurrentSettings},
      {f.tab_DiskConfiguration, f.tab_CurrentSettings},
      {f.tab_NetworkDiskMapping, f.tab_DiskConfiguration},
      {f.tab_NASList, f.tab_NASList},
      {f.tab_ClientSetupFinish, f.tab_ClientSetupFinish},
      {f.tab_TotalFinish, f.tab_TotalFinish},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.from->Name());
    f.PageControl1->SetActivePage(c.from);
    WaitForRoundEnd();
    const size_t rounds = DiscoveryRounds(traces_);
    // Where the page shows no Back, the handler is called as a bound control would call it.
    if (f.panel_btnBack->Visible()) {
      ClickBack();
    } else {
      f.btn_BackClick(f.btn_Back);
    }
    EXPECT_EQ(Page(), c.to);
    EXPECT_EQ(DiscoveryRounds(traces_), rounds + (c.to == f.tab_NASList && c.from != c.to ? 1 : 0));
  }
  EXPECT_EQ(FirewallCalls(world_), firewall_calls);
  EXPECT_TRUE(messages_.empty()) << LastMessage();
}

TEST_F(PageFlowTest, BackAndCancelCloseAnOpenDropDown) {
  ToSettingsPage();
  for (const bool back : {true, false}) {
    form_Main->PageControl1->SetActivePage(form_Main->tab_CurrentSettings);
    Click("lab_comboBoxTimeZone");
    ASSERT_TRUE(form_Main->sg_TimeZone->Visible());
    answer_ok_ = false;
    back ? ClickBack() : ClickCancel();
    EXPECT_FALSE(form_Main->sg_TimeZone->Visible()) << (back ? "Back" : "Cancel");
  }
}

TEST_F(PageFlowTest, CancelAsksAndOnOkStartsAgainOnTheDevicePageWithoutEndingTheProgram) {
  ToPasswordPage();
  const std::string mac = form_Main->SelectedNasRecord.DeviceIdentifierString.data();

  answer_ok_ = false;
  form_Main->msgBoxResultOK = 1;
  ClickCancel();
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].text, Text(str_Msg18));
  EXPECT_EQ(messages_[0].kind, 0);
  EXPECT_EQ(Page(), form_Main->tab_UserPassValid) << "the question's flag is cleared before it is asked";

  answer_ok_ = true;
  const size_t rounds = DiscoveryRounds(traces_);
  ClickCancel();
  EXPECT_EQ(messages_.size(), 2u);
  EXPECT_EQ(Page(), form_Main->tab_NASList);
  EXPECT_EQ(DiscoveryRounds(traces_), rounds + 1);
  EXPECT_TRUE(form_Main->timer_DeviceDiscovery->Enabled());
  EXPECT_FALSE(Application->Terminated());
  EXPECT_EQ(form_Main->SelectedNasRecord.DeviceIdentifierString.data(), mac);
  WaitForRoundEnd();
  EXPECT_EQ(form_Main->ListView1->Count(), 1);
}

TEST_F(PageFlowTest, RefreshSearchesOnlyWhenItIsUsable) {
  AddBox({});
  Start();
  ASSERT_TRUE(form_Main->timer_DeviceDiscovery->Enabled());
  EXPECT_EQ(DiscoveryRounds(traces_), 1u) << "showing the device page starts the first round";
  Click("lab_btnDeviceDiscovery");
  EXPECT_EQ(DiscoveryRounds(traces_), 1u) << "Refresh is disabled while a round runs";
  WaitForRoundEnd();
  Click("lab_btnDeviceDiscovery");
  EXPECT_EQ(DiscoveryRounds(traces_), 2u);
  EXPECT_FALSE(form_Main->btn_Next->Enabled()) << "no row can be chosen while the round runs";
  form_Main->ListView1Click(form_Main->ListView1);
  EXPECT_FALSE(form_Main->btn_Next->Enabled());
  WaitForRoundEnd();
  form_Main->ListView1->SetItemIndex(-1);
  form_Main->ListView1Click(form_Main->ListView1);
  EXPECT_FALSE(form_Main->btn_Next->Enabled());
  EXPECT_EQ(form_Main->lab_btnNext->Font()->Color(), clBtnShadow);
  form_Main->ListView1->SetItemIndex(0);
  form_Main->ListView1Click(form_Main->ListView1);
  EXPECT_TRUE(form_Main->btn_Next->Enabled());
  EXPECT_EQ(form_Main->lab_btnNext->Font()->Color(), clBtnFace);
}

// Each page's show handler sets the button row, real buttons and panels alike, and the Next caption
// from the language's texts. The pages follow each other so that every caption changes.
TEST_F(PageFlowTest, EveryPageShowsItsButtonRowAndNextCaption) {
  language_ = "German";
  Start();
  WaitForRoundEnd();
  Tform_Main& f = *form_Main;
  enum Caption { kNext, kApply, kFinish };
  struct Case {
    TTabSheet* page;
    bool cancel_back;
    Caption caption;
    int32_t disks = 0;
    bool keep_layout = false;
  };
  const Case cases[] = {
      {f.tab_NetworkDiskMapping, true, kApply},
      {f.tab_UserPassValid, true, kNext},
      {f.tab_TotalFinish, false, kFinish},
      {f.tab_CurrentSettings, true, kNext},
      {f.tab_DiskConfiguration, true, kApply, 0, false},
      {f.tab_CurrentSettings_ConnectionFailed, true, kNext},
      {f.tab_DiskConfiguration, true, kApply, 2, true},
      {f.tab_ClientSetupFinish, false, kNext},
      {f.tab_DiskConfiguration, true, kNext, 2, false},
      {f.tab_NASList, false, kNext},
  };
  const platform::AnsiString* captions[] = {&str_BtnNext, &str_BtnApply, &str_BtnFinish};
  ASSERT_NE(Text(str_BtnNext), "Next") << "the captions are the language's";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.page->Name() + " " + std::to_string(c.disks) + (c.keep_layout ? " kept" : ""));
    f.SelectedNasRecord.diskLayout.diskAmount = c.disks;
    f.checkBox_UseDefaultDiskSetting->SetChecked(c.keep_layout);
    f.PageControl1->SetActivePage(c.page == f.tab_DiskConfiguration ? f.tab_CurrentSettings : f.tab_NASList);
    WaitForRoundEnd();
    f.PageControl1->SetActivePage(c.page);
    EXPECT_EQ(f.btn_Cancel->Visible(), c.cancel_back);
    EXPECT_EQ(f.panel_btnCancel->Visible(), c.cancel_back);
    EXPECT_EQ(f.btn_Back->Visible(), c.cancel_back);
    EXPECT_EQ(f.panel_btnBack->Visible(), c.cancel_back);
    EXPECT_TRUE(f.btn_Next->Visible());
    EXPECT_TRUE(f.panel_btnNext->Visible());
    EXPECT_EQ(f.btn_Next->Caption(), Text(*captions[c.caption]));
    EXPECT_EQ(f.lab_btnNext->Caption(), Text(*captions[c.caption]));
  }
}

TEST_F(PageFlowTest, TheDriveLetterPageStartsWithTwoDifferentLetters) {
  Start();
  WaitForRoundEnd();
  form_Main->RefreshDriveList();
  ASSERT_GE(form_Main->cb_DriveList2->Items().Count(), 2);
  form_Main->cb_DriveList1->SetItemIndex(3);
  form_Main->cb_DriveList2->SetItemIndex(3);
  form_Main->PageControl1->SetActivePage(form_Main->tab_NetworkDiskMapping);
  EXPECT_EQ(form_Main->cb_DriveList1->ItemIndex(), 3);
  EXPECT_EQ(form_Main->cb_DriveList2->ItemIndex(), 4);
}

// The keep-password box: usable only when the login needed the dialog's password.
TEST_F(PageFlowTest, TheKeepPasswordBoxIsUsableOnlyAfterALoginWithAPasswordAndThenSkipsTheTests) {
  sim::BoxConfig guarded;
  guarded.admin_password = "orvo";
  on_login_dialog_ = AnswerLoginWith("orvo");
  ToPasswordPage(guarded);
  Tform_Main& f = *form_Main;
  EXPECT_TRUE(f.checkBox_UseOriginalPassword->Enabled());
  EXPECT_TRUE(f.checkBox_UseOriginalPassword->Checked());
  EXPECT_EQ(f.lab_checkBoxUseOriginalPassword->Font()->Color(), clBtnFace);
  EXPECT_EQ(f.edit_NewPassword1->Text(), "");
  EXPECT_EQ(f.edit_NewPassword2->Text(), "");
  ClickNext();
  EXPECT_EQ(Page(), f.tab_CurrentSettings);
  EXPECT_TRUE(messages_.empty()) << LastMessage();
}

TEST_F(PageFlowTest, AfterALoginWithTheEmptyPasswordTheKeepPasswordBoxIsUntickedThroughItsHandlerAndGreyed) {
  ToPasswordPage();
  Tform_Main& f = *form_Main;
  EXPECT_FALSE(f.checkBox_UseOriginalPassword->Checked());
  EXPECT_FALSE(f.checkBox_UseOriginalPassword->Enabled());
  EXPECT_EQ(f.lab_checkBoxUseOriginalPassword->Font()->Color(), clBtnShadow);
  // The login ticked the box; unticking it ran its handler, which opened the password fields.
  EXPECT_TRUE(f.edit_NewPassword1->Enabled());
  EXPECT_TRUE(f.edit_NewPassword2->Enabled());
  EXPECT_EQ(f.lab_NewPassword1->Font()->Color(), clBtnHighlight);
  EXPECT_TRUE(f.img_checkBoxUseOriginalPassword_uncheckedNormal->Visible());
  EXPECT_FALSE(f.img_checkBoxUseOriginalPassword_checkedNormal->Visible());
}

}  // namespace
