// The network of one of the host's addresses: getifaddrs gives the interface that holds it and
// the mask, /proc/net/route the interface's default gateway.
#include "platform/host_network.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/route.h>
#include <netinet/in.h>

#include <fstream>
#include <sstream>
#include <string>

namespace platform {
namespace {

// The gateway of the interface's default route; without one, of any route through a gateway.
uint32_t GatewayOf(const std::string& interface) {
  std::ifstream routes("/proc/net/route");
  std::string line;
  std::getline(routes, line);  // the column heads
  uint32_t any_gateway = 0;
  while (std::getline(routes, line)) {
    std::istringstream fields(line);
    std::string name;
    unsigned long destination = 0, gateway = 0, flags = 0;
    fields >> name >> std::hex >> destination >> gateway >> flags;
    if (!fields || name != interface || !(flags & RTF_UP) || !(flags & RTF_GATEWAY)) continue;
    // The kernel writes the addresses as the bytes in memory, in network order.
    const uint32_t address = ntohl(static_cast<uint32_t>(gateway));
    if (destination == 0) return address;
    if (any_gateway == 0) any_gateway = address;
  }
  return any_gateway;
}

}  // namespace

std::optional<HostNetwork> HostNetworkOf(uint32_t address) {
  ifaddrs* all = nullptr;
  if (::getifaddrs(&all) != 0) return std::nullopt;
  std::optional<HostNetwork> found;
  for (const ifaddrs* i = all; i != nullptr && !found; i = i->ifa_next) {
    if (i->ifa_addr == nullptr || i->ifa_addr->sa_family != AF_INET || i->ifa_netmask == nullptr) continue;
    if (ntohl(reinterpret_cast<const sockaddr_in*>(i->ifa_addr)->sin_addr.s_addr) != address) continue;
    HostNetwork n;
    n.address = address;
    n.mask = ntohl(reinterpret_cast<const sockaddr_in*>(i->ifa_netmask)->sin_addr.s_addr);
    n.gateway = GatewayOf(i->ifa_name);
    found = n;
  }
  ::freeifaddrs(all);
  return found;
}

}  // namespace platform
