#include <gtest/gtest.h>

#include "link/transport.h"
#include "text/language_strings.h"
#include "wizard/dialogs/apply_progress.h"
#include "wizard/dialogs/login_dialog.h"
#include "wizard/dialogs/message_box.h"
#include "wizard/main_form.h"
#include "wizard_fixture.h"

namespace {

// Whole set-ups of a box, from the device list to the last page, on the simulated LAN.
class SetupTest : public WizardTest {
 protected:
  void SetUp() override {
    world_.processes().AnswerPings(sim::Ipv4Of("192.168.1.1"));
    world_.processes().AnswerPings(sim::Ipv4Of("8.8.8.8"));
  }
  void ClickNext() { form_Main->btn_NextClick(form_Main->btn_Next); }
  void TypeInto(const std::string& mirror, const std::string& text) {
    driver_.Click(mirror);
    driver_.Type(text);
  }
};

TEST_F(SetupTest, AFactoryFreshBoxWithOneDiskIsSetUpFromTheListToTheLastPage) {
  sim::BoxConfig box;
  box.model_name = "NAS-120";
  box.host_name = "NAS-120";
  box.disks = sim::Disks::OneUnformatted();
  sim::BoxNode& node = AddBox(box);
  Start();
  EXPECT_EQ(Page(), form_Main->tab_NASList);
  WaitForRoundEnd();
  ASSERT_EQ(form_Main->ListView1->Count(), 1);
  EXPECT_EQ(form_Main->ListView1->Item(0)->SubItems()[0], "192.168.1.20");
  EXPECT_EQ(form_Main->lab_DeviceDiscoveryResult->Caption(), "Device Found:  1");

  ClickDeviceRow(0);
  EXPECT_TRUE(form_Main->btn_Next->Enabled());
  ClickNext();
  ASSERT_EQ(Page(), form_Main->tab_UserPassValid) << "a fresh box logs in with the empty password";
  EXPECT_FALSE(form_Main->checkBox_UseOriginalPassword->Checked());
  TypeInto("lab_editNewPassword1", "secret1");
  TypeInto("lab_editNewPassword2", "secret1");
  ClickNext();
  ASSERT_EQ(Page(), form_Main->tab_CurrentSettings) << (messages_.empty() ? "" : messages_.back().text);
  EXPECT_EQ(form_Main->edit_DeviceName->Text(), "NAS-120");
  ClickNext();
  ASSERT_EQ(Page(), form_Main->tab_DiskConfiguration) << (messages_.empty() ? "" : messages_.back().text);
  EXPECT_FALSE(form_Main->checkBox_UseDefaultDiskSetting->Enabled()) << "an unformatted disk needs a new layout";
  ClickNext();
  ASSERT_EQ(Page(), form_Main->tab_NetworkDiskMapping);
  const uint64_t applied_at = Now();
  ClickNext();
  ASSERT_EQ(Page(), form_Main->tab_ClientSetupFinish) << (messages_.empty() ? "no message" : messages_.back().text);
  EXPECT_TRUE(messages_.empty()) << messages_.back().text;
  EXPECT_EQ(form_Main->settingsApplied, 1);
  EXPECT_EQ(form_Main->diskApplied, 1);
  EXPECT_EQ(form_Main->driveMappingApplied, 1);
  EXPECT_EQ(form_Main->deviceFoundAfterReboot, 1);
  EXPECT_GT(Now() - applied_at, 90'000u) << "the reboot wait alone takes 90 s";
  EXPECT_EQ(form_Main->lab_PasswordAppliedStatus->Caption(), "OK.");

  ClickNext();
  ASSERT_EQ(Page(), form_Main->tab_TotalFinish);
  ClickNext();
  ASSERT_FALSE(world_.shell().OpenedTargets().empty());
  EXPECT_EQ(world_.shell().OpenedTargets().back().target, "http://192.168.1.20");
  EXPECT_TRUE(Application->Terminated());

  // What the box now holds.
  node.WithBox([](sim::Box& b) { EXPECT_EQ(b.config().admin_password, "secret1"); });
}

// Two boxes, "NAS-120" at .22 sorting above "NAS-220" at .21, and the user sets up the second row.
class SecondRowSetupTest : public SetupTest {
 protected:
  void SetUpTheSecondRow(const sim::BoxFaults& faults) {
    sim::BoxConfig first;
    first.model_name = first.host_name = "NAS-120";
    first.address = sim::Ipv4Of("192.168.1.22");
    first.mac = {0x00, 0x11, 0x32, 0x01, 0x02, 0x03};
    AddBox(first);
    sim::BoxConfig second;
    second.model_name = second.host_name = "NAS-220";
    second.address = sim::Ipv4Of("192.168.1.21");
    second.disks = sim::Disks::OneUnformatted();
    second.faults = faults;
    AddBox(second);
    Start();
    WaitForRoundEnd();
    ASSERT_EQ(form_Main->ListView1->Count(), 2);
    ASSERT_EQ(form_Main->ListView1->Item(1)->SubItems()[0], "192.168.1.21");
    ClickDeviceRow(1);
    ClickNext();
    ASSERT_EQ(Page(), form_Main->tab_UserPassValid) << LastMessage();
    TypeInto("lab_editNewPassword1", "secret1");
    TypeInto("lab_editNewPassword2", "secret1");
    ClickNext();
    ASSERT_EQ(Page(), form_Main->tab_CurrentSettings) << LastMessage();
    ClickNext();
    ASSERT_EQ(Page(), form_Main->tab_DiskConfiguration) << LastMessage();
    ClickNext();
    ASSERT_EQ(Page(), form_Main->tab_NetworkDiskMapping);
    ClickNext();
    ASSERT_EQ(Page(), form_Main->tab_ClientSetupFinish) << LastMessage();
  }
  // The web link of the message dialog, then Finish on the last page: what each opened.
  std::vector<std::string> OpenedByTheLinkAndFinish() {
    std::vector<std::string> opened;
    auto last = [this](size_t before) {
      const auto targets = world_.shell().OpenedTargets();
      return targets.size() > before ? targets.back().target : std::string("nothing");
    };
    size_t before = world_.shell().OpenedTargets().size();
    form_MessageBox->lab_GoToWebSetupClick(form_MessageBox->lab_GoToWebSetup);
    opened.push_back(last(before));
    ClickNext();
    EXPECT_EQ(Page(), form_Main->tab_TotalFinish);
    before = world_.shell().OpenedTargets().size();
    ClickNext();
    opened.push_back(last(before));
    EXPECT_TRUE(Application->Terminated());
    return opened;
  }
};

// The box comes back at a new address: the end of the wizard reaches it there, not the first row.
TEST_F(SecondRowSetupTest, FinishOpensTheNewAddressOfTheBoxThatWasSetUp) {
  sim::BoxFaults faults;
  faults.address_after_reboot = sim::Ipv4Of("192.168.1.37");
  SetUpTheSecondRow(faults);
  EXPECT_TRUE(messages_.empty()) << LastMessage();
  EXPECT_EQ(form_Main->deviceFoundAfterReboot, 1);
  ASSERT_NE(form_Main->ListView1->Selected(), nullptr);
  EXPECT_EQ(form_Main->ListView1->ItemIndex(), 1) << "NAS-220 still sorts second";
  EXPECT_EQ(form_Main->NASSelectedRow, 1) << "the grid shows the same choice";
  EXPECT_EQ(OpenedByTheLinkAndFinish(), (std::vector<std::string>{"http://192.168.1.37", "http://192.168.1.37"}));
}

// The box does not come back while the other one answers every round: no row is chosen, so neither
// the link nor Finish opens the other box's address; Finish still ends the program.
TEST_F(SecondRowSetupTest, ABoxThatDoesNotComeBackLeavesNoOtherBoxToOpen) {
  sim::BoxFaults faults;
  faults.never_return_after_reboot = true;
  SetUpTheSecondRow(faults);
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].text, "Device is not found, please make sure the NAS is still on line.");
  EXPECT_EQ(form_Main->ListView1->Count(), 1) << "the other box answered the last round";
  EXPECT_EQ(form_Main->ListView1->ItemIndex(), -1);
  EXPECT_EQ(form_Main->NASSelectedRow, -1);
  EXPECT_EQ(OpenedByTheLinkAndFinish(), (std::vector<std::string>{"nothing", "nothing"}));
}

}  // namespace
