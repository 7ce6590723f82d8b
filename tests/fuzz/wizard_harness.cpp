#include "wizard_harness.h"

#include <mutex>

#include "link/disk_command.h"
#include "platform/time_zone.h"
#include "platform/virtual_clock.h"
#include "wizard/forms/forms.h"
#include "wizard/main_form.h"
#include "wizard/program.h"

namespace fuzz {
namespace {

sim::SimTimeZones HostZones() {
  platform::TimeZoneService& host = platform::HostTimeZoneService();
  return {host.Zones(), host.CurrentZoneKey(), host.CurrentZoneState()};
}

}  // namespace

// The box's UDP side: every disk command is answered with the text set, from port 9999.
struct WizardHarness::DiskPeer final : sim::UdpEndpoint {
  DiskPeer(sim::Lan& l, sim::Host& h) : lan(l), host(h) {}
  void Deliver(const sim::Datagram& d) override {
    std::vector<uint8_t> reply(kNasPacketSize, 0);
    {
      std::lock_guard<std::mutex> lock(mutex);
      reply[0] = kNasServiceId;
      reply[1] = kNasDirectionReply;
      WriteU16(&reply[2], NAS_OPCODE_DISK_COMMAND);
      const size_t n = std::min(text.size(), disk_command::kMaxReplyText);
      WriteU16(&reply[disk_command::kReplyLength], static_cast<uint16_t>(n));
      std::copy_n(text.begin(), n, reply.begin() + disk_command::kReplyText);
    }
    lan.SendDatagram(host, kNasUdpPort, d.from, d.from_port, std::move(reply));
  }
  sim::Lan& lan;
  sim::Host& host;
  std::mutex mutex;
  std::string text;
};

WizardHarness& WizardHarness::Get() {
  // The clock first: the world's thread and the windows' waits run on it.
  static platform::ScopedVirtualClock* clock = new platform::ScopedVirtualClock();
  static WizardHarness* harness = new WizardHarness();
  (void)clock;
  return *harness;
}

WizardHarness::WizardHarness() : pc_settings_(HostZones(), "English") {
  world_.pc().AddInterface("lan", sim::Ipv4Of("192.168.1.100"), sim::Ipv4Of("255.255.255.0"), "Ethernet");
  world_.drives().SetTempFolder(temp_folder_.path().string());
  sim::Host& box = world_.lan().AddHost("box");
  box.AddInterface("lan", sim::Ipv4Of(kBoxIp), sim::Ipv4Of("255.255.255.0"));
  disk_peer_ = std::make_shared<DiskPeer>(world_.lan(), box);
  uint16_t port = kNasUdpPort;
  world_.lan().BindUdp(box, port, disk_peer_);
  world_.Install();
  platform::InstallSockets(&tcp_);

  app_ = new TApplication();
  RegisterWizardForms();
  Application->SetTitle(kProductTitle);
  CreateWizardWindows();
}

void WizardHarness::SetDiskReply(std::string text) {
  std::lock_guard<std::mutex> lock(disk_peer_->mutex);
  disk_peer_->text = std::move(text);
}

void WizardHarness::ListTheBox() {
  Tform_Main& f = *form_Main;
  f.ListView1->Clear();
  TListItem* row = f.ListView1->Add();
  row->SetCaption("NAS-220");
  row->SubItems().Add(kBoxIp);
  row->SubItems().Add("00:11:32:AB:CD:EF");
  f.ListView1->SetItemIndex(0);
}

}  // namespace fuzz

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::WizardHarness::Get().ListTheBox();
  return 0;
}
