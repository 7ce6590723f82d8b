// Draws every window of the wizard, the main window on each of its pages and the dialogs in each
// of their kinds, into PNG files: the wizard runs on the virtual clock against the simulated LAN
// with three boxes, driven the way a user drives it.
//
// usage: wizard-screenshots <output folder>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "client/form_connection_test.h"
#include "link/transport.h"
#include "named_scratch_folder.h"
#include "platform/code_page.h"
#include "platform/time_zone.h"
#include "platform/virtual_clock.h"
#include "sim/pc_settings.h"
#include "sim/world.h"
#include "text/language_strings.h"
#include "toolkit/application.h"
#include "toolkit/screenshot.h"
#include "wizard/dialogs/apply_progress.h"
#include "wizard/dialogs/confirm_format.h"
#include "wizard/dialogs/login_dialog.h"
#include "wizard/dialogs/message_box.h"
#include "wizard/forms/forms.h"
#include "wizard/main_form.h"
#include "wizard/program.h"

namespace {

// The PC's zones, among them the one it is in.
std::vector<platform::WindowsTimeZone> PcZones() {
  return {
      {"Pacific Standard Time", "(UTC-08:00) Pacific Time (US & Canada)", "Pacific Standard Time",
       "Pacific Daylight Time", -480},
      {"UTC", "(UTC) Coordinated Universal Time", "Coordinated Universal Time", "UTC", 0},
      {"W. Europe Standard Time", "(UTC+01:00) Amsterdam, Berlin, Bern, Rome, Stockholm, Vienna",
       "W. Europe Standard Time", "W. Europe Daylight Time", 60},
      {"China Standard Time", "(UTC+08:00) Beijing, Chongqing, Hong Kong, Urumqi", "China Standard Time",
       "China Daylight Time", 480},
      {"Tokyo Standard Time", "(UTC+09:00) Osaka, Sapporo, Tokyo", "Tokyo Standard Time", "Tokyo Daylight Time", 540}};
}

std::string g_folder;

void Shot(const TForm& form, const std::string& name) {
  SaveFormScreenshot(form, g_folder + "/" + name + ".png");
  std::printf("%s/%s.png\n", g_folder.c_str(), name.c_str());
}

void RunUntil(const std::function<bool()>& done) {
  while (!done()) Application->HandleMessage();
}

// Runs `open` (which shows a modal window); once `form` is shown, `inside` runs a turn later.
void WhileShown(TForm* form, const std::function<void()>& open, const std::function<void()>& inside) {
  TNotifyEvent shown = form->OnShow;
  form->OnShow = [&, shown](TObject* sender) {
    if (shown) shown(sender);
    Application->Post(inside);
  };
  open();
  form->OnShow = shown;
}

void Message(const platform::AnsiString& text, int kind, const std::string& name) {
  WhileShown(
      form_MessageBox, [&] { form_Main->ShowWizardMessage(text, kind); },
      [&] {
        Shot(*form_MessageBox, name);
        form_MessageBox->lab_btnOKClick(form_MessageBox);
      });
}

sim::BoxConfig Box(const char* model, const char* host, const char* address, uint8_t last_mac, sim::Disks disks) {
  sim::BoxConfig box;
  box.model_name = model;
  box.product_id = model;
  box.host_name = host;
  box.address = sim::Ipv4Of(address);
  box.mac = {0x00, 0x11, 0x32, 0x5A, 0x21, last_mac};
  box.disks = disks;
  return box;
}

// One run of the wizard in a language, from the device list to the last page.
void Tour(const std::string& language, const std::string& suffix, bool dialogs, int code_page) {
  // The PC of a user of that language: its system code page carries the language's letters.
  platform::SetSystemCodePage(code_page);
  // The reachability test's ping files go to a folder of this run's own, not to the user's
  // temporary folder, where the wizard itself or another run writes the same names.
  NamedScratchFolder temp_folder("wizard-screenshots");
  platform::ScopedVirtualClock clock;
  sim::World world;
  world.pc().AddInterface("lan", sim::Ipv4Of("192.168.1.100"), sim::Ipv4Of("255.255.255.0"), "Ethernet");
  world.drives().SetTempFolder(temp_folder.path().string());
  world.AddBox("a", "lan", Box("NAS-220", "Storage", "192.168.1.21", 0x01, sim::Disks::Raid1(sim::FileSystem::kExt3)));
  world.AddBox("b", "lan", Box("NAS-120", "NAS-120", "192.168.1.20", 0x02, sim::Disks::OneUnformatted()));
  world.AddBox("c", "lan", Box("NAS-240", "Archive", "192.168.1.35", 0x03, sim::Disks::OneUnformatted()));
  world.processes().AnswerPings(sim::Ipv4Of("192.168.1.1"));
  world.Install();
  sim::PcSettings settings({PcZones(), "W. Europe Standard Time"}, language);
  {
    TApplication app;
    Application->SetTitle(kProductTitle);
    CreateWizardWindows();
    Tform_Main& f = *form_Main;
    f.Show();
    RunUntil([&] { return !f.timer_DeviceDiscovery->Enabled() && f.ipConfigThreadCount == 0; });
    f.sg_NASListMouseMove(f.sg_NASList, 0, 10, 40);
    f.sg_NASListClick(f.sg_NASList);
    Shot(f, "main_device_list" + suffix);

    f.btn_NextClick(&f);
    f.checkBox_UseOriginalPassword->SetChecked(false);
    f.edit_NewPassword1->SetText("orvo1234");
    f.edit_NewPassword2->SetText("orvo1234");
    Shot(f, "main_password" + suffix);
    f.btn_NextClick(&f);
    f.radio_FixedIP->SetChecked(true);
    Shot(f, "main_settings" + suffix);

    if (dialogs) {
      WhileShown(
          form_ConnectionTest, [&] { f.btn_NextClick(&f); },
          [&] { Shot(*form_ConnectionTest, "dialog_connection_test"); });
      RunUntil([&] { return !form_ConnectionTest->Visible(); });
    } else {
      f.btn_NextClick(&f);
    }
    Shot(f, "main_connection_failed" + suffix);
    f.checkBox_IgnoreConnectionFailMsg->SetChecked(true);
    f.btn_NextClick(&f);
    f.checkBox_UseDefaultDiskSetting->SetChecked(false);
    f.radio_Standard->SetChecked(true);
    Shot(f, "main_disks" + suffix);
    f.btn_NextClick(&f);
    Shot(f, "main_drive_mapping" + suffix);

    WhileShown(
        form_ConfirmFormat, [&] { f.btn_NextClick(&f); },
        [&] {
          if (dialogs) Shot(*form_ConfirmFormat, "dialog_confirm_format");
          form_ConfirmFormat->lab_checkBoxFormatDiskClick(form_ConfirmFormat);
          if (dialogs) Shot(*form_ConfirmFormat, "dialog_confirm_format_ticked");
          form_ConfirmFormat->btn_OKClick(form_ConfirmFormat);
          if (dialogs) {
            TTimer* later = new TTimer(Application);
            later->SetInterval(60'000);
            later->OnTimer = [later](TObject*) {
              later->SetEnabled(false);
              Shot(*form_ApplyProgress, "dialog_progress");
            };
          }
        });
    Shot(f, "main_results" + suffix);
    f.btn_NextClick(&f);
    Shot(f, "main_finish" + suffix);

    if (dialogs) {
      Message(str_Msg18, 0, "dialog_message_question");
      Message(str_Msg15, 1, "dialog_message_warning");
      Message(str_Msg9, 2, "dialog_message_error");
      Message(str_Msg22, 2, "dialog_message_firewall");
      WhileShown(
          form_UsernamePassValid, [&] { form_UsernamePassValid->ShowModal(); },
          [&] {
            form_UsernamePassValid->edit_Username->SetText("admin");
            form_UsernamePassValid->edit_Password->SetText("orvo");
            form_UsernamePassValid->edit_Password->SetFocus();
            Shot(*form_UsernamePassValid, "dialog_login");
            form_UsernamePassValid->Close();
          });
    }
    StopUdpReceiver();
    while (!Application->Components().empty()) delete Application->Components().back();
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: wizard-screenshots <output folder>\n");
    return 2;
  }
  g_folder = argv[1];
  RegisterWizardForms();
  try {
    Tour("English", "", true, 1252);
    Tour("German", "_de", false, 1252);
    Tour("Chinese(Simplified)", "_zh", false, 936);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "wizard-screenshots: %s\n", e.what());
    return 1;
  }
  return 0;
}
