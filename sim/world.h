#pragma once

#include <list>
#include <memory>
#include <mutex>
#include <string>

#include "sim/box_node.h"
#include "sim/lan.h"
#include "sim/lan_adapters.h"
#include "sim/lan_sockets.h"
#include "sim/sim_drives.h"
#include "sim/sim_firewall.h"
#include "sim/sim_os_version.h"
#include "sim/sim_processes.h"
#include "sim/sim_services.h"
#include "sim/sim_shell.h"

namespace sim {

// A simulated LAN with the PC on it: the PC host's sockets and adapters, and the PC's drives,
// services, firewall, Windows version, programs and desktop, are what the program's platform
// layer serves while the world is installed. Boxes join on segments of their own choosing; they
// answer the PC's pings while they are online, and their volumes are the shares
// "\\<host name>\Volume_1" (a formatted volume) and "\\<host name>\Volume_2" (the second bay's
// own Standard volume). Create it after the clock it is to run on (a test's ScopedVirtualClock).
class World {
 public:
  explicit World(uint32_t seed = 1);
  ~World();
  World(const World&) = delete;
  World& operator=(const World&) = delete;

  Lan& lan() { return *lan_; }
  Host& pc() { return pc_; }
  LanSockets& sockets() { return *sockets_; }
  LanAdapters& adapters() { return *adapters_; }
  SimDrives& drives() { return *drives_; }
  SimServiceManager& services() { return *services_; }
  SimFirewall& firewall() { return *firewall_; }
  SimOsVersion& os_version() { return *os_version_; }
  SimProcesses& processes() { return *processes_; }
  SimShell& shell() { return *shell_; }

  BoxNode& AddBox(const std::string& name, const std::string& segment, BoxConfig config);

  // Makes the PC's services the platform's, until the world goes.
  void Install();

 private:
  std::optional<PingAnswer> BoxAnswer(Ipv4 address);
  platform::DWORD BoxShare(const std::string& remote_name);

  std::unique_ptr<Lan> lan_;
  Host& pc_;
  std::unique_ptr<LanSockets> sockets_;
  std::unique_ptr<LanAdapters> adapters_;
  std::unique_ptr<SimDrives> drives_;
  std::unique_ptr<SimServiceManager> services_;
  std::unique_ptr<SimFirewall> firewall_;
  std::unique_ptr<SimOsVersion> os_version_;
  std::unique_ptr<SimProcesses> processes_;
  std::unique_ptr<SimShell> shell_;
  std::mutex boxes_mutex_;  // the LAN's thread reads the boxes for pings
  std::list<BoxNode> boxes_;
  bool installed_ = false;
};

}  // namespace sim
