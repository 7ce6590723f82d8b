#pragma once

#include <cstdint>
#include <string>

#include "named_scratch_folder.h"
#include "scripted_tcp.h"
#include "sim/pc_settings.h"
#include "sim/world.h"
#include "toolkit/application.h"

namespace fuzz {

// The wizard's six windows, made once for a fuzz target's run as the program makes them, on the
// virtual clock and a simulated PC at 192.168.1.100/24 with the host's time zones and a
// temporary folder of the run's own. Its TCP exchanges are acted out from scripts; the box at
// kBoxIp answers every disk command with the text last set.
//
// The harness defines LLVMFuzzerInitialize for the targets that use it: the windows are made
// before the first input, so that what they keep for the run is not taken for a leak of an input.
class WizardHarness {
 public:
  static constexpr const char* kBoxIp = "192.168.1.20";

  // Made at the first call, never destroyed: the run ends with the process.
  static WizardHarness& Get();

  ScriptedTcpSockets& tcp() { return tcp_; }
  // The text of the next disk-command replies.
  void SetDiskReply(std::string text);
  // Lists the box as the only, selected row of the device list.
  void ListTheBox();
  // Runs the message loop until `done` holds.
  template <class Done>
  void RunUntil(Done done) {
    while (!done()) app_->HandleMessage();
  }

 private:
  WizardHarness();
  struct DiskPeer;

  NamedScratchFolder temp_folder_{"fuzz-wizard"};
  sim::World world_;
  ScriptedTcpSockets tcp_{world_.sockets()};
  sim::PcSettings pc_settings_;
  std::shared_ptr<DiskPeer> disk_peer_;
  TApplication* app_ = nullptr;
};

}  // namespace fuzz
