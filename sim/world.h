#pragma once

#include <list>
#include <memory>
#include <string>

#include "sim/box_node.h"
#include "sim/lan.h"
#include "sim/lan_adapters.h"
#include "sim/lan_sockets.h"

namespace sim {

// A simulated LAN with the PC on it: the PC host's sockets and adapters are what the program's
// platform layer serves while the world is installed. Boxes join on segments of their own
// choosing. Create it after the clock it is to run on (a test's ScopedVirtualClock).
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

  BoxNode& AddBox(const std::string& name, const std::string& segment, BoxConfig config);

  // Makes the PC's sockets and adapters the platform's, until the world goes.
  void Install();

 private:
  std::unique_ptr<Lan> lan_;
  Host& pc_;
  std::unique_ptr<LanSockets> sockets_;
  std::unique_ptr<LanAdapters> adapters_;
  std::list<BoxNode> boxes_;
  bool installed_ = false;
};

}  // namespace sim
