#include <cstdio>
#include <limits>

#include "link/disk_command.h"
#include "link/this_pc.h"
#include "link/transport.h"
#include "platform/clock.h"
#include "platform/convert.h"
#include "platform/log_debug.h"
#include "platform/sockets.h"
#include "platform/thread.h"
#include "text/language_strings.h"
#include "toolkit/application.h"
#include "wizard/apply_thread.h"
#include "wizard/main_form.h"

namespace {

RaidLevel ChosenRaidLevel(const Tform_Main& f) {
  if (f.radio_Standard->Checked()) return RaidLevel::kStandard;
  if (f.radio_JBOD->Checked()) return RaidLevel::kJbod;
  if (f.radio_RAID0->Checked()) return RaidLevel::kRaid0;
  if (f.radio_RAID1->Checked()) return RaidLevel::kRaid1;
  return RaidLevel::kNone;
}

// The bar position for a box's percentage: the phase's base plus the number, where a number too
// large to add (any box may send one) gives the highest position, which the bar bounds anyway.
int PhasePosition(int base, int number) {
  return number > std::numeric_limits<int>::max() - base ? std::numeric_limits<int>::max() : base + number;
}

}  // namespace

void Tform_Main::RegisterDiskCommandHandlers() {
  handlers_.Add("timer_RAIDExecTimer", this, &Tform_Main::timer_RAIDExecTimer);
}

void Tform_Main::SetRAIDCommand() {
  // The command arms a window timer and reads the disk page: from the apply thread it is
  // carried out on the main thread.
  if (!platform::IsMainThread()) {
    Application->Synchronize([this] { SetRAIDCommand(); });
    return;
  }
  LogDebug("Tform_Main::SetRAIDCommand- activated!");
  OpenUdpSocket();
  platform::SOCKADDR_IN to;
  to.sin_family = platform::kAfInet;
  to.sin_port = platform::Htons(kNasUdpPort);
  to.sin_addr.s_addr = platform::inet_addr(SelectedDeviceIp().c_str());

  std::optional<std::string> text;
  switch (g_RAIDCommandType.load()) {
    case RAID_CREATE:
      text = CreateCommandText(SelectedNasRecord.diskLayout.diskAmount, SelectedNasRecord.diskLayout.disk1FileSystem,
                               ChosenRaidLevel(*this), radio_Ext3->Checked());
      if (text) LogDebug("Tform_Main::SetRAIDCommand- " + *text);
      break;
    case RAID_GETFORMATSTATUS_FORTEST:
    case RAID_GETFORMATSTATUS_FORUSERSETTING:
      text = "GETFORMATSTATUS 1";
      LogDebug("Tform_Main::SetRAIDCommand- GETFORMATSTATUS 1");
      break;
    case RAID_GETRAIDSTATUS:
      text = "GETRAIDSTATUS";
      break;
    case RAID_CREATEDEFAULTSHAREFOLDER:
      text = "CREATEDEFAULTSHAREFOLDER";
      break;
    case RAID_REBOOT:
      text = "REBOOT";
      break;
    default:
      break;
  }
  NasPacket packet;
  BuildDiskCommandPacket(packet, NextDiskCommandSequence(), SelectedNasRecord.adminPassword, text.value_or(""));
  char length[16];
  std::snprintf(length, sizeof length, "%hu",
                static_cast<unsigned short>(ReadU16(&packet[disk_command::kRequestLength])));
  LogDebug(length);
  LogDebug(text.value_or(""));

  timer_RAIDExec->SetEnabled(true);
  // Without a command text nothing is sent, and the time-out reports the command as failed.
  if (!text) return;
  for (int i = 0; i < 5; ++i) {
    platform::sendto(g_sockfd.load(), reinterpret_cast<const char*>(packet.data()), kNasPacketSize, 0, &to,
                     platform::kSockaddrInSize);
    platform::Sleep(10);
  }
}

void Tform_Main::GetRAIDCommnadRes(const NasPacket& datagram, const platform::SOCKADDR_IN& from) {
  const std::string sender = platform::inet_ntoa(from.sin_addr);
  if (sender != SelectedDeviceIp()) return;
  if (IsFromThisPc(from.sin_addr.s_addr)) {
    LogDebug("Tform_Main::GetRAIDCommnadRes- " + sender + " is this PC, not a box: reply dropped");
    return;
  }
  LogDebug("Tform_Main::GetRAIDCommnadRes is being called");
  std::string text;
  if (!ParseDiskCommandReply(datagram, text)) {
    LogDebug("Tform_Main::GetRAIDCommnadRes- The packet is not correct!so return anyway~");
    return;
  }
  LogDebug("RAID Command Got Response: " + text);
  const int number = platform::AtoI(text);
  // Everything a reply sets is written before the state, which the pollers read.
  auto damaged = [this] {
    iGetNASInfoResult.store(4);
    raidCommandErrorCounter.store(2);
    g_RAIDExecStatus.store(RAIDCMD_ERROR);
  };
  switch (g_RAIDCommandType.load()) {
    case RAID_CREATE:
    case RAID_CREATEDEFAULTSHAREFOLDER:
    case RAID_REBOOT:
      g_RAIDExecStatus.store(text == "OK" ? RAIDCMD_OK : RAIDCMD_ERROR);
      break;
    case RAID_GETFORMATSTATUS_FORTEST:
      if (!text.empty() && number == 0) {
        ShowApplyStatus(platform::FromAnsi(str_LabApplyStatus3) + " 100 %");
        ShowApplyProgress(110);
        g_RAIDExecStatus.store(RAIDCMD_OK);
      } else if (!text.empty() && number > 0) {
        ShowApplyProgress(PhasePosition(10, number));
        g_RAIDExecStatus.store(RAIDCMD_OK);
      } else if (!text.empty() && number == -1) {
        damaged();
      } else {
        g_RAIDExecStatus.store(RAIDCMD_ERROR);
      }
      break;
    case RAID_GETFORMATSTATUS_FORUSERSETTING:
      if (!text.empty() && number >= 0) {
        ShowApplyProgress(PhasePosition(130, number));
        g_RAIDExecStatus.store(RAIDCMD_OK);
      } else if (!text.empty() && number == -1) {
        damaged();
      } else {
        g_RAIDExecStatus.store(RAIDCMD_ERROR);
      }
      break;
    case RAID_GETRAIDSTATUS:
      if (const std::optional<std::string> row = ParseDiskStatus(text, SelectedNasRecord.diskLayout)) {
        LogDebug("Tform_Main::GetRAIDCommnadRes- " + *row);
        g_RAIDExecStatus.store(RAIDCMD_OK);
      } else {
        g_RAIDExecStatus.store(RAIDCMD_ERROR);
      }
      break;
    default:
      break;
  }
  if (timer_RAIDExec->Enabled()) {
    LogDebug("Tform_Main::GetRAIDCommnadRes- Finished before Timer2 being finished!");
    timer_RAIDExecTimer(timer_RAIDExec);
  }
}

void Tform_Main::timer_RAIDExecTimer(TObject*) {
  LogDebug("Tform_Main::timer_RAIDExecTimer");
  timer_RAIDExec->SetEnabled(false);
  StopUdpReceiver();
  const int32_t status = g_RAIDExecStatus.load();
  if (status != RAIDCMD_OK && status != RAIDCMD_ERROR) {
    LogDebug("Tform_Main::timer_RAIDExecTimer- RAIDCMD_ERROR");
    g_RAIDExecStatus.store(RAIDCMD_ERROR);
  }
}
