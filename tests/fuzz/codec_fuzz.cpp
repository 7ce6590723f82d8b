// Arbitrary bytes as replies to the wizard's codec: the reply parsers and the header check.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "link/codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  NasPacket reply{};
  std::copy_n(data, std::min(size, reply.size()), reply.begin());
  // The expected id and MAC come from the reply itself half of the time, so accepted replies
  // are reached too.
  const uint32_t id = (size > 0 && data[0] & 1) ? ReadU32(&reply[nas_header::kTransactionId]) : 2;
  NasMac mac{};
  if (size > 0 && data[0] & 2) std::copy_n(reply.begin() + nas_header::kTargetMac, 6, mac.begin());
  NasDiscoveryRecord discovery;
  NasProbeRecord probe;
  NasSettingsRecord settings;
  ParseDiscoveryReply(reply, discovery);
  ParseProbeReply(reply, id, mac, probe);
  ParseSettingsReply(reply, id, mac, settings);
  CheckResponseHeader(reply, id, mac);
  return 0;
}
