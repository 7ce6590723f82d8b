#pragma once

#include <cstdint>
#include <optional>

namespace platform {

// The network of one of the host's own addresses: the address, its interface's mask for it, and
// the gateway of that interface's default route (0 for none). Addresses have the first octet in
// the most significant byte.
struct HostNetwork {
  uint32_t address = 0;
  uint32_t mask = 0;
  uint32_t gateway = 0;
};

// Nothing when no interface of the host holds the address.
std::optional<HostNetwork> HostNetworkOf(uint32_t address);

}  // namespace platform
