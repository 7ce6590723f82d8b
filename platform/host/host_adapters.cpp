// The host's adapters through getifaddrs: every interface but the loopback, with its IPv4
// addresses, in the order the system lists them. Linux keeps no adapter description; the
// interface name serves for both.
#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/adapters.h"

namespace platform {
namespace {

std::string Dotted(const sockaddr* a) {
  char text[INET_ADDRSTRLEN] = "0.0.0.0";
  if (a != nullptr && a->sa_family == AF_INET) {
    inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(a)->sin_addr, text, sizeof text);
  }
  return text;
}

class HostAdaptersImpl final : public Adapters {
 public:
  bool HasGetAdaptersInfo() override { return true; }

  uint32_t GetAdaptersInfo(AdapterInfo* list, uint32_t* size) override {
    ifaddrs* all = nullptr;
    if (getifaddrs(&all) != 0) return ERROR_NOT_SUPPORTED;
    std::vector<AdapterDescription> adapters;
    for (const ifaddrs* i = all; i != nullptr; i = i->ifa_next) {
      if ((i->ifa_flags & IFF_LOOPBACK) != 0) continue;
      auto it = std::find_if(adapters.begin(), adapters.end(),
                             [&](const AdapterDescription& a) { return a.name == i->ifa_name; });
      if (it == adapters.end()) {
        adapters.push_back({i->ifa_name, i->ifa_name, {}});
        it = adapters.end() - 1;
      }
      if (i->ifa_addr != nullptr && i->ifa_addr->sa_family == AF_INET) {
        it->addresses.push_back({Dotted(i->ifa_addr), Dotted(i->ifa_netmask)});
      }
    }
    freeifaddrs(all);
    return LayOutAdapterList(adapters, list, size);
  }

  std::vector<uint32_t> OwnAddresses() override {
    std::vector<uint32_t> addresses;
    ifaddrs* all = nullptr;
    if (getifaddrs(&all) != 0) return addresses;
    for (const ifaddrs* i = all; i != nullptr; i = i->ifa_next) {
      if (i->ifa_addr != nullptr && i->ifa_addr->sa_family == AF_INET) {
        addresses.push_back(reinterpret_cast<const sockaddr_in*>(i->ifa_addr)->sin_addr.s_addr);
      }
    }
    freeifaddrs(all);
    return addresses;
  }
};

}  // namespace

Adapters& HostAdapters() {
  static HostAdaptersImpl adapters;
  return adapters;
}

}  // namespace platform
