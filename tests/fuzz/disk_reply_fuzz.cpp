// A disk-command reply of any bytes, from the box or from another host, while any command is
// under way: the reply's header and text, the disk-status grammar, and what the main window does
// with the reply (state, disk layout, the progress bar's arithmetic, the end of the command).
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>

#include "check.h"
#include "link/disk_command.h"
#include "wizard/dialogs/apply_progress.h"
#include "wizard/main_form.h"
#include "wizard_harness.h"

namespace {

using fuzz::Check;

bool KnownLayout(const NasDiskLayout& l) {
  auto in = [](int32_t v, int32_t low, int32_t high) { return v >= low && v <= high; };
  return in(l.diskAmount, 0, 2) && in(l.disk1Kind, 0, 5) && in(l.disk2Kind, 0, 5) && in(l.disk1FileSystem, 0, 3) &&
         in(l.disk2FileSystem, 0, 3);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const int32_t type = input.ConsumeIntegralInRange<int32_t>(-1, 6);
  const bool from_the_box = input.ConsumeIntegralInRange<int>(0, 7) != 0;
  const std::vector<uint8_t> bytes = input.ConsumeRemainingBytes<uint8_t>();
  NasPacket datagram{};
  std::copy_n(bytes.begin(), std::min(bytes.size(), datagram.size()), datagram.begin());

  // The reply's text and the grammar, as the handler takes them.
  std::string text;
  const bool parsed = ParseDiskCommandReply(datagram, text);
  if (parsed) {
    Check(text.size() <= disk_command::kMaxReplyText && text.find('\0') == std::string::npos);
    NasDiskLayout layout{0, 0, 0, 0, 0};
    if (ParseDiskStatus(text, layout)) {
      Check(KnownLayout(layout));
    } else {
      Check(layout == (NasDiskLayout{-1, -1, -1, -1, -1}));
    }
  }

  // The main window with the command under way, as SetRAIDCommand leaves it.
  Tform_Main& f = *form_Main;
  f.g_RAIDCommandType.store(type);
  f.g_RAIDExecStatus.store(RAIDCMD_PROCEEDING);
  f.isDiscoveryMode_.store(0);
  f.SelectedNasRecord.diskLayout = NasDiskLayout{0, 0, 0, 0, 0};
  f.timer_RAIDExec->SetEnabled(true);
  form_ApplyProgress->ProgressBar1->SetPosition(7);
  platform::SOCKADDR_IN from;
  from.sin_family = platform::kAfInet;
  from.sin_port = platform::Htons(kNasUdpPort);
  from.sin_addr.s_addr = platform::inet_addr(from_the_box ? fuzz::WizardHarness::kBoxIp : "192.168.1.21");
  f.GetRAIDCommnadRes(datagram, from);

  const int position = form_ApplyProgress->ProgressBar1->Position();
  Check(position >= 0 && position <= 320);
  const int32_t status = f.g_RAIDExecStatus.load();
  if (from_the_box && parsed) {
    Check(!f.timer_RAIDExec->Enabled());
    Check(type < 0 || type > 5 || status == RAIDCMD_OK || status == RAIDCMD_ERROR);
    if (type == RAID_GETRAIDSTATUS && status == RAIDCMD_OK) Check(KnownLayout(f.SelectedNasRecord.diskLayout));
  } else {
    Check(f.timer_RAIDExec->Enabled() && status == RAIDCMD_PROCEEDING && position == 7);
    f.timer_RAIDExec->SetEnabled(false);
  }
  return 0;
}
