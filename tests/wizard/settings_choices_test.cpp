#include <gtest/gtest.h>

#include "link/records.h"
#include "pages_fixture.h"

namespace {

using Texts4 = std::array<std::string, 4>;
const Texts4 kEmpty = {"", "", "", ""};

// The address-mode choices of the settings page and the use-current-password box.
class SettingsChoicesTest : public PagesTest {
 protected:
  void ExpectGroup(const std::string& group, const Texts4& texts, bool enabled, TColor colour) {
    EXPECT_EQ(Texts(group), texts) << group;
    for (TEdit* e : Octets(group)) EXPECT_EQ(e->Enabled(), enabled) << e->Name();
    for (TLabel* l : Captions(group)) EXPECT_EQ(l->Font()->Color(), colour) << l->Name();
  }
  // Which of a radio's three pictures show: chosen, unchosen, hover.
  std::array<bool, 3> Looks(const std::string& radio) {
    return {Picture("img_radio" + radio + "_selected")->Visible(),
            Picture("img_radio" + radio + "_unselectedNormal")->Visible(),
            Picture("img_radio" + radio + "_unselectedOver")->Visible()};
  }
  static constexpr std::array<bool, 3> kChosenLook = {true, false, false};
  static constexpr std::array<bool, 3> kUnchosenLook = {false, true, false};
};

TEST_F(SettingsChoicesTest, AFixedAddressBoxFillsTheGroupsFromItsRecordAndLeavesUnsetServersEmpty) {
  sim::BoxConfig box = FreshBox();
  box.gateway = 0;
  box.dns1 = 0;
  box.dns2 = sim::Ipv4Of("8.8.4.4");
  LogIn(box);
  ToSettingsPage();
  const Tform_Main& f = *form_Main;
  EXPECT_EQ(f.edit_DeviceName->Text(), "NAS-220");
  EXPECT_TRUE(f.radio_FixedIP->Checked());
  EXPECT_TRUE(f.radio_FixedDNS->Checked());
  EXPECT_FALSE(f.radio_AutoDNS->Enabled()) << "fixed IP rules out automatic DNS";
  ExpectGroup("IPAddr", {"192", "168", "1", "20"}, true, clBtnFace);
  ExpectGroup("IPMask", {"255", "255", "255", "0"}, true, clBtnFace);
  ExpectGroup("IPGateway", kEmpty, true, clBtnFace);
  ExpectGroup("IPDNS1_", kEmpty, true, clBtnFace);
  ExpectGroup("IPDNS2_", {"8", "8", "4", "4"}, true, clBtnFace);
  EXPECT_EQ(Label("lab_IPGateway1")->Caption(), "   ") << "the mirrors follow the fills";
  EXPECT_EQ(Label("lab_IPAddr4")->Caption(), "20 ");
  EXPECT_EQ(Looks("FixedIP"), kChosenLook);
  EXPECT_EQ(Looks("AutoIP"), kUnchosenLook);
  EXPECT_EQ(Looks("FixedDNS"), kChosenLook);
  EXPECT_EQ(Looks("AutoDNS"), kUnchosenLook);
}

TEST_F(SettingsChoicesTest, AnAddressOrMaskOfZeroFillsZerosWhereAGatewayOfZeroLeavesItsGroupEmpty) {
  LogIn(FreshBox());
  ToSettingsPage();
  // A box cannot be reached at 0.0.0.0, so its record is given the zeros here and the page is
  // filled again as the login fills it.
  auto& record = form_Main->SelectedNasRecord.settings.bytes;
  WriteAddressField(record, settings_field::kIpAddress, 0);
  WriteAddressField(record, settings_field::kSubnetMask, 0);
  WriteAddressField(record, settings_field::kGateway, 0);
  form_Main->checkBox_UseDefaultDNTZandNetwork->SetChecked(true);
  form_Main->checkBox_UseDefaultDNTZandNetwork->SetChecked(false);
  ExpectGroup("IPAddr", {"0", "0", "0", "0"}, true, clBtnFace);
  ExpectGroup("IPMask", {"0", "0", "0", "0"}, true, clBtnFace);
  ExpectGroup("IPGateway", kEmpty, true, clBtnFace);
}

TEST_F(SettingsChoicesTest, BackToFixedIpRefillsFromTheRecordAndChoosesFixedDns) {
  LogIn(FreshBox());
  ToSettingsPage();
  // The user types over the address and the first server.
  driver_.Click("lab_IPAddr4");
  driver_.Type("99");
  driver_.Click("lab_IPDNS1_4");
  driver_.Type("9");

  driver_.Click("lab_radioAutoIP");
  ASSERT_TRUE(form_Main->radio_AutoIP->Checked());
  for (const char* g : {"IPAddr", "IPMask", "IPGateway"}) ExpectGroup(g, kEmpty, false, clBtnShadow);
  EXPECT_TRUE(form_Main->radio_AutoDNS->Enabled()) << "automatic DNS can be chosen again";
  EXPECT_TRUE(form_Main->radio_FixedDNS->Checked()) << "but the DNS choice stays";
  ExpectGroup("IPDNS1_", {"192", "168", "1", "9"}, true, clBtnFace);
  EXPECT_EQ(Looks("AutoIP"), kChosenLook);
  EXPECT_EQ(Looks("FixedIP"), kUnchosenLook);

  driver_.Click("lab_radioFixedIP");
  ExpectGroup("IPAddr", {"192", "168", "1", "20"}, true, clBtnFace);
  ExpectGroup("IPMask", {"255", "255", "255", "0"}, true, clBtnFace);
  ExpectGroup("IPGateway", {"192", "168", "1", "1"}, true, clBtnFace);
  EXPECT_FALSE(form_Main->radio_AutoDNS->Enabled());
  // Fixed DNS was chosen already: the servers keep what the user typed.
  ExpectGroup("IPDNS1_", {"192", "168", "1", "9"}, true, clBtnFace);

  // With automatic DNS chosen in between, fixed IP chooses fixed DNS and that refills the servers.
  driver_.Click("lab_radioAutoIP");
  driver_.Click("lab_radioAutoDNS");
  ASSERT_TRUE(form_Main->radio_AutoDNS->Checked());
  ExpectGroup("IPDNS1_", kEmpty, false, clBtnShadow);
  driver_.Click("lab_radioFixedIP");
  EXPECT_TRUE(form_Main->radio_FixedDNS->Checked());
  ExpectGroup("IPDNS1_", {"192", "168", "1", "1"}, true, clBtnFace);
  ExpectGroup("IPDNS2_", kEmpty, true, clBtnFace);
  EXPECT_EQ(Looks("FixedDNS"), kChosenLook);
  EXPECT_EQ(Looks("AutoDNS"), kUnchosenLook);
}

TEST_F(SettingsChoicesTest, ADhcpBoxWithoutServersOpensAllAutomaticEmptyDisabledAndGreyed) {
  sim::BoxConfig box = FreshBox();
  box.dhcp = true;
  box.dns1 = 0;
  LogIn(box);
  ToSettingsPage();
  EXPECT_TRUE(form_Main->radio_AutoIP->Checked());
  EXPECT_TRUE(form_Main->radio_AutoDNS->Checked());
  for (const std::string& g : Groups()) ExpectGroup(g, kEmpty, false, clBtnShadow);
  for (const char* radio : {"AutoIP", "AutoDNS"}) EXPECT_EQ(Looks(radio), kChosenLook) << radio;
  EXPECT_TRUE(form_Main->edit_DeviceName->Enabled()) << "the page is unlocked after the fill";
}

TEST_F(SettingsChoicesTest, AFixedBoxWithoutServersOpensWithFixedDnsAndEmptyServerGroups) {
  sim::BoxConfig box = FreshBox();
  box.dns1 = 0;
  LogIn(box);
  ToSettingsPage();
  EXPECT_TRUE(form_Main->radio_FixedIP->Checked());
  EXPECT_TRUE(form_Main->radio_FixedDNS->Checked()) << "the IP choice comes last and forces fixed DNS";
  ExpectGroup("IPDNS1_", kEmpty, true, clBtnFace);
  ExpectGroup("IPDNS2_", kEmpty, true, clBtnFace);
}

// What a radio handler could change: texts and enabled states of the edits, caption colours,
// the radio pictures and the automatic-DNS radio's state.
std::vector<std::string> PageState() {
  std::vector<std::string> state;
  for (TControl* c : form_Main->tab_CurrentSettings->Controls()) {
    if (auto* l = dynamic_cast<TLabel*>(c)) {
      state.push_back(l->Name() + " " + std::to_string(l->Font()->Color()));
    } else if (auto* p = dynamic_cast<TImage*>(c)) {
      state.push_back(p->Name() + (p->Visible() ? " shown" : " hidden"));
    }
  }
  for (TControl* c : form_Main->group_NetworkConfig->Controls()) {
    if (auto* e = dynamic_cast<TEdit*>(c)) state.push_back(e->Name() + " " + e->Text() + (e->Enabled() ? "" : " off"));
  }
  state.push_back(form_Main->radio_AutoDNS->Enabled() ? "auto DNS on" : "auto DNS off");
  return state;
}

TEST_F(SettingsChoicesTest, ARadioHandlerCalledWhileItsRadioIsNotChosenChangesNothing) {
  sim::BoxConfig box = FreshBox();
  box.dns2 = sim::Ipv4Of("8.8.8.8");
  LogIn(box);
  ToSettingsPage();
  const std::vector<std::string> fixed = PageState();
  form_Main->radio_AutoIPClick(form_Main->radio_AutoIP);
  form_Main->radio_AutoDNSClick(form_Main->radio_AutoDNS);
  EXPECT_EQ(PageState(), fixed);

  driver_.Click("lab_radioAutoIP");
  driver_.Click("lab_radioAutoDNS");
  const std::vector<std::string> automatic = PageState();
  ASSERT_NE(automatic, fixed);
  form_Main->radio_FixedIPClick(form_Main->radio_FixedIP);
  form_Main->radio_FixedDNSClick(form_Main->radio_FixedDNS);
  EXPECT_EQ(PageState(), automatic);
}

TEST_F(SettingsChoicesTest, UntickingTheCurrentPasswordFocusesTheFirstNewOneAndTickingClearsBoth) {
  LogInWithPassword(FreshBox());
  Tform_Main& f = *form_Main;
  ASSERT_TRUE(f.checkBox_UseOriginalPassword->Checked()) << "the login ticks it";
  ASSERT_TRUE(f.checkBox_UseOriginalPassword->Enabled()) << "a box with a password may keep it";
  EXPECT_FALSE(f.edit_NewPassword1->Enabled());
  EXPECT_EQ(f.lab_NewPassword1->Font()->Color(), clBtnShadow);

  driver_.Click("lab_checkBoxUseOriginalPassword");
  ASSERT_FALSE(f.checkBox_UseOriginalPassword->Checked());
  EXPECT_EQ(Focused(), f.edit_NewPassword1);
  EXPECT_TRUE(f.edit_NewPassword2->Enabled());
  for (TLabel* l : {f.lab_NewPassword1, f.lab_NewPassword2}) EXPECT_EQ(l->Font()->Color(), clBtnHighlight);
  EXPECT_TRUE(f.img_checkBoxUseOriginalPassword_uncheckedNormal->Visible());
  EXPECT_FALSE(f.img_checkBoxUseOriginalPassword_checkedNormal->Visible());
  driver_.Type("new1");
  driver_.Click("lab_editNewPassword2");
  driver_.Type("new1");

  driver_.Click("lab_checkBoxUseOriginalPassword");
  ASSERT_TRUE(f.checkBox_UseOriginalPassword->Checked());
  for (TEdit* e : {f.edit_NewPassword1, f.edit_NewPassword2}) {
    EXPECT_EQ(e->Text(), "") << e->Name();
    EXPECT_FALSE(e->Enabled()) << e->Name();
  }
  EXPECT_EQ(f.lab_editNewPassword1->Caption(), "");
  for (TLabel* l : {f.lab_NewPassword1, f.lab_NewPassword2}) EXPECT_EQ(l->Font()->Color(), clBtnShadow);
  EXPECT_TRUE(f.img_checkBoxUseOriginalPassword_checkedNormal->Visible());
  int shown = 0;
  for (TImage* p :
       {f.img_checkBoxUseOriginalPassword_checkedNormal, f.img_checkBoxUseOriginalPassword_checkedOver,
        f.img_checkBoxUseOriginalPassword_uncheckedNormal, f.img_checkBoxUseOriginalPassword_uncheckedOver}) {
    shown += p->Visible() ? 1 : 0;
  }
  EXPECT_EQ(shown, 1);
}

}  // namespace
