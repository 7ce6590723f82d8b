// Arbitrary requests to the box model, on UDP and TCP, against one box that keeps its state
// (formatting, reboots, written settings) from input to input and a fresh one each time.
#include <cstddef>
#include <cstdint>
#include <span>

#include "sim/box/box.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static sim::Box lasting{sim::BoxConfig{}};
  static uint64_t now = 0;
  now += 997;
  const std::span<const uint8_t> request(data, size);
  lasting.HandleDatagram(request, now, "fuzz");
  lasting.HandleTcpRequest(request, now, "fuzz");
  sim::BoxConfig config;
  config.disks = sim::Disks({sim::Bay{true}, sim::Bay{true}});
  sim::Box fresh(config);
  fresh.HandleDatagram(request, 0, "fuzz");
  fresh.HandleTcpRequest(request, 0, "fuzz");
  return 0;
}
