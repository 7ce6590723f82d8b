#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "sim/box/box.h"
#include "sim/lan.h"

namespace sim {

constexpr uint16_t kBoxUdpPort = 9999;
constexpr uint16_t kBoxTcpPort = 9998;

// A box on the simulated LAN: its model answers UDP 9999 (broadcasts included) and TCP 9998 of
// its host, replies go to the request's source address and port, and the TCP replies take the
// shape the box's faults ask for. A reboot moves the host to the box's new address when it ends.
class BoxNode {
 public:
  // The host gets one interface on `segment` at the box's configured address and mask.
  BoxNode(Lan& lan, const std::string& name, const std::string& segment, BoxConfig config);

  Host& host() const;
  // Runs `f` with the box under the node's lock (the LAN's thread uses it too).
  void WithBox(const std::function<void(Box&)>& f);
  // What the box was asked, in order.
  std::vector<BoxRequest> Requests();

 private:
  struct Core;
  std::shared_ptr<Core> core_;
};

}  // namespace sim
