#include "whole_setup.h"

#include <ctime>
#include <functional>

#include "link/transport.h"
#include "platform/time_zone.h"
#include "platform/virtual_clock.h"
#include "sim/pc_settings.h"
#include "sim/world.h"
#include "toolkit/application.h"
#include "toolkit/driver.h"
#include "wizard/dialogs/confirm_format.h"
#include "wizard/main_form.h"
#include "wizard/program.h"
#include "x_session.h"

namespace {

// The PC's zones: the one it is in and UTC.
std::vector<platform::WindowsTimeZone> PcZones() {
  return {{"UTC", "(UTC) Coordinated Universal Time", "Coordinated Universal Time", "UTC", 0},
          {"W. Europe Standard Time", "(UTC+01:00) Amsterdam, Berlin, Bern, Rome, Stockholm, Vienna",
           "W. Europe Standard Time", "W. Europe Daylight Time", 60}};
}

void RunUntil(const std::function<bool()>& done) {
  while (!done()) Application->HandleMessage();
}

}  // namespace

SetupTimes RunWholeSetup(const std::string& temp_folder) {
  SetupTimes times;
  const int64_t wall_start = NowNs();
  platform::ScopedVirtualClock clock;
  const uint64_t virtual_start = platform::CurrentClock().NowMs();
  sim::World world;
  world.pc().AddInterface("lan", sim::Ipv4Of("192.168.1.100"), sim::Ipv4Of("255.255.255.0"), "Ethernet");
  world.drives().SetTempFolder(temp_folder);
  sim::BoxConfig box;
  box.model_name = "NAS-120";
  box.host_name = "NAS-120";
  box.address = sim::Ipv4Of("192.168.1.20");
  box.disks = sim::Disks::OneUnformatted();
  world.AddBox("box", "lan", box);
  // The box's gateway and DNS server answer the reachability test.
  world.processes().AnswerPings(sim::Ipv4Of("192.168.1.1"));
  world.processes().AnswerPings(sim::Ipv4Of("8.8.8.8"));
  world.Install();
  sim::PcSettings settings({PcZones(), "W. Europe Standard Time"}, "English");
  {
    TApplication app;
    Application->SetTitle(kProductTitle);
    CreateWizardWindows();
    Tform_Main& f = *form_Main;
    TDriver user(&f);
    // The format confirmation is ticked and confirmed a turn after it shows.
    TNotifyEvent shown = form_ConfirmFormat->OnShow;
    form_ConfirmFormat->OnShow = [shown](TObject* sender) {
      if (shown) shown(sender);
      Application->Post([] {
        form_ConfirmFormat->lab_checkBoxFormatDiskClick(form_ConfirmFormat);
        form_ConfirmFormat->btn_OKClick(form_ConfirmFormat);
      });
    };
    f.Show();
    RunUntil([&] { return !f.timer_DeviceDiscovery->Enabled() && f.ipConfigThreadCount == 0; });
    const TRect cell = f.sg_NASList->CellRect(0, 0);
    const TPoint row = f.sg_NASList->ClientToForm({(cell.Left + cell.Right) / 2, (cell.Top + cell.Bottom) / 2});
    user.ClickAt(row.X, row.Y);
    user.Click("lab_btnNext");
    user.Click("lab_editNewPassword1");
    user.Type("secret1");
    user.Click("lab_editNewPassword2");
    user.Type("secret1");
    // Password, settings, disks, drive letters, then the apply sequence and its results.
    for (int page = 0; page < 5; ++page) f.btn_NextClick(f.btn_Next);
    times.reached_last_page = f.PageControl1->ActivePage() == f.tab_TotalFinish;
    StopUdpReceiver();
    while (!Application->Components().empty()) delete Application->Components().back();
  }
  times.virtual_ms = static_cast<double>(platform::CurrentClock().NowMs() - virtual_start);
  times.wall_ms = static_cast<double>(NowNs() - wall_start) / 1e6;
  return times;
}
