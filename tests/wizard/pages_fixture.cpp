#include "pages_fixture.h"

#include <algorithm>

#include "wizard/dialogs/login_dialog.h"

PagesTest::PagesTest() { std::copy(std::begin(TimeZoneTable), std::end(TimeZoneTable), saved_table_.begin()); }

PagesTest::~PagesTest() { std::copy(saved_table_.begin(), saved_table_.end(), std::begin(TimeZoneTable)); }

sim::BoxConfig PagesTest::FreshBox() {
  sim::BoxConfig box;
  box.host_name = "NAS-220";
  box.dhcp = false;
  box.address = sim::Ipv4Of("192.168.1.20");
  box.mask = sim::Ipv4Of("255.255.255.0");
  box.gateway = sim::Ipv4Of("192.168.1.1");
  box.dns1 = sim::Ipv4Of("192.168.1.1");
  box.dns2 = 0;
  box.disks = sim::Disks::None();
  return box;
}

void PagesTest::LogIn(const sim::BoxConfig& box) {
  AddBox(box);
  Start();
  LogInToTheStartedWizard();
}

void PagesTest::LogInToTheStartedWizard() {
  RunUntil([] { return !form_Main->timer_DeviceDiscovery->Enabled(); });
  ASSERT_EQ(form_Main->ListView1->Count(), 1);
  const TRect cell = form_Main->sg_NASList->CellRect(0, 0);
  const TPoint at = form_Main->sg_NASList->ClientToForm({cell.Left + 10, cell.Top + 10});
  driver_.ClickAt(at.X, at.Y);
  form_Main->btn_NextClick(form_Main->btn_Next);
  ASSERT_EQ(Page(), form_Main->tab_UserPassValid) << LastMessage();
}

void PagesTest::LogInWithPassword(sim::BoxConfig box) {
  box.admin_password = "orvo";
  on_login_dialog_ = [] {
    form_UsernamePassValid->edit_Username->SetText("admin");
    form_UsernamePassValid->edit_Password->SetText("orvo");
    form_UsernamePassValid->btn_OKClick(form_UsernamePassValid->btn_OK);
  };
  LogIn(box);
}

void PagesTest::ToSettingsPage() {
  if (!form_Main->checkBox_UseOriginalPassword->Checked()) {
    for (const char* mirror : {"lab_editNewPassword1", "lab_editNewPassword2"}) {
      driver_.Click(mirror);
      driver_.Type("secret1");
    }
  }
  form_Main->btn_NextClick(form_Main->btn_Next);
  ASSERT_EQ(Page(), form_Main->tab_CurrentSettings) << LastMessage();
}

void PagesTest::ToDiskPage() {
  ASSERT_TRUE(form_Main->radio_AutoIP->Checked() && form_Main->radio_AutoDNS->Checked())
      << "fixed addresses would run the reachability test first";
  form_Main->btn_NextClick(form_Main->btn_Next);
  ASSERT_EQ(Page(), form_Main->tab_DiskConfiguration) << LastMessage();
}

const std::array<std::string, 5>& PagesTest::Groups() {
  static const std::array<std::string, 5> groups = {"IPAddr", "IPMask", "IPGateway", "IPDNS1_", "IPDNS2_"};
  return groups;
}

std::array<TEdit*, 4> PagesTest::Octets(const std::string& group) const {
  std::array<TEdit*, 4> edits{};
  for (int k = 0; k < 4; ++k) edits[k] = Edit("edit_" + group + std::to_string(k + 1));
  return edits;
}

std::array<std::string, 4> PagesTest::Texts(const std::string& group) const {
  std::array<std::string, 4> texts;
  const std::array<TEdit*, 4> edits = Octets(group);
  for (int k = 0; k < 4; ++k) texts[k] = edits[k]->Text();
  return texts;
}

std::vector<TLabel*> PagesTest::Captions(const std::string& group) const {
  static const std::pair<const char*, const char*> captions[] = {{"IPAddr", "lab_IPAddr"},
                                                                 {"IPMask", "lab_Mask"},
                                                                 {"IPGateway", "lab_Gateway"},
                                                                 {"IPDNS1_", "lab_DNS1"},
                                                                 {"IPDNS2_", "lab_DNS2"}};
  std::vector<TLabel*> labels;
  for (const auto& [g, caption] : captions) {
    if (g == group) labels.push_back(Label(caption));
  }
  for (int k = 1; k <= 4; ++k) labels.push_back(Label("lab_" + group + std::to_string(k)));
  for (int k = 1; k <= 3; ++k) labels.push_back(Label("lab_" + group + "Dot" + std::to_string(k)));
  return labels;
}
