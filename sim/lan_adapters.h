#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/adapters.h"
#include "sim/lan.h"

namespace sim {

// Switches that make the adapter scan's failure paths happen.
struct AdapterFaults {
  bool entry_point_missing = false;
  uint32_t size_query_result = 0;  // non-zero: the size query answers this instead
  uint32_t list_query_result = 0;  // non-zero: the list query answers this instead
};

// The adapters of one host of the simulated LAN: one adapter per adapter name of its
// interfaces, holding their addresses in the order they were added, then the adapters without
// an address.
class LanAdapters final : public platform::Adapters {
 public:
  explicit LanAdapters(Host& host) : host_(host) {}
  bool HasGetAdaptersInfo() override;
  uint32_t GetAdaptersInfo(platform::AdapterInfo* list, uint32_t* size) override;
  std::vector<uint32_t> OwnAddresses() override;
  void SetFaults(const AdapterFaults& faults);

 private:
  Host& host_;
  std::mutex mutex_;
  AdapterFaults faults_;
};

}  // namespace sim
