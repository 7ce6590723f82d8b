#include "sim/lan_adapters.h"

#include <algorithm>

#include "platform/sockets.h"

namespace sim {

bool LanAdapters::HasGetAdaptersInfo() {
  std::lock_guard<std::mutex> lock(mutex_);
  return !faults_.entry_point_missing;
}

void LanAdapters::SetFaults(const AdapterFaults& faults) {
  std::lock_guard<std::mutex> lock(mutex_);
  faults_ = faults;
}

uint32_t LanAdapters::GetAdaptersInfo(platform::AdapterInfo* list, uint32_t* size) {
  std::vector<platform::AdapterDescription> adapters;
  for (const Interface& i : host_.Interfaces()) {
    auto it = std::find_if(adapters.begin(), adapters.end(),
                           [&](const platform::AdapterDescription& a) { return a.name == i.adapter; });
    if (it == adapters.end()) {
      adapters.push_back({i.adapter, "Simulated Ethernet Adapter (" + i.adapter + ")", {}});
      it = adapters.end() - 1;
    }
    it->addresses.push_back({FormatIpv4(i.address), FormatIpv4(i.mask)});
  }
  for (const std::string& name : host_.AddressLessAdapters()) {
    adapters.push_back({name, "Simulated Ethernet Adapter (" + name + ")", {}});
  }
  uint32_t needed = 0;
  platform::LayOutAdapterList(adapters, nullptr, &needed);
  const bool size_query = size != nullptr && (list == nullptr || *size < needed);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (size_query && faults_.size_query_result != 0) return faults_.size_query_result;
    if (!size_query && faults_.list_query_result != 0) return faults_.list_query_result;
  }
  return platform::LayOutAdapterList(adapters, list, size);
}

std::vector<uint32_t> LanAdapters::OwnAddresses() {
  std::vector<uint32_t> addresses;
  for (const Interface& i : host_.Interfaces()) addresses.push_back(platform::Htonl(i.address));
  return addresses;
}

}  // namespace sim
