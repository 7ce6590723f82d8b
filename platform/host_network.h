#pragma once

#include <cstdint>
#include <optional>

namespace platform {

// The host's side of the way to a peer: its own address on the interface it reaches the peer
// by, that interface's mask, and the gateway of that interface's default route (0 for none).
// Addresses have the first octet in the most significant byte.
struct HostNetwork {
  uint32_t address = 0;
  uint32_t mask = 0;
  uint32_t gateway = 0;
};

// Nothing when the host has no route to the peer.
std::optional<HostNetwork> HostNetworkToward(uint32_t peer);

}  // namespace platform
