#include <gtest/gtest.h>

#include "link/transport.h"
#include "text/language_strings.h"
#include "wizard/dialogs/apply_progress.h"
#include "wizard/dialogs/login_dialog.h"
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

}  // namespace
