// Arbitrary bytes as replies to the wizard's codec: the reply parsers and the header check. A
// reply whose service, direction, transaction id or MAC is not the request's is ignored and
// leaves the record as it was; an accepted reply's record is its payload byte for byte, and its
// error class alone tells a refused password and an unsupported request.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "check.h"
#include "link/codec.h"

namespace {

using fuzz::Check;

// The record a parser was given stays as it was unless the reply is accepted, and is then the
// reply's bytes from `offset` on.
template <size_t N>
bool RecordFollows(bool accepted, const std::array<uint8_t, N>& record, const NasPacket& reply, size_t offset,
                   uint8_t untouched) {
  if (!accepted) return std::all_of(record.begin(), record.end(), [&](uint8_t b) { return b == untouched; });
  return std::equal(record.begin(), record.end(), reply.begin() + static_cast<std::ptrdiff_t>(offset));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  // As it came; made one the request accepts; or made so, and then one field of it not.
  const int shape = input.ConsumeIntegralInRange<int>(0, 5);
  const uint32_t id = input.ConsumeIntegral<uint32_t>();
  NasMac mac{};
  for (uint8_t& b : mac) b = input.ConsumeIntegral<uint8_t>();
  const bool discovery = input.ConsumeBool();
  const uint8_t untouched = input.ConsumeIntegral<uint8_t>();
  const uint8_t other = input.ConsumeIntegral<uint8_t>();
  NasPacket reply{};
  const std::vector<uint8_t> bytes = input.ConsumeRemainingBytes<uint8_t>();
  std::copy_n(bytes.begin(), std::min(bytes.size(), reply.size()), reply.begin());
  if (shape >= 1) {
    reply[nas_header::kServiceId] = kNasServiceId;
    reply[nas_header::kDirection] = kNasDirectionReply;
    WriteU32(&reply[nas_header::kTransactionId], id);
    std::copy(mac.begin(), mac.end(), reply.begin() + nas_header::kTargetMac);
    if (discovery) WriteU16(&reply[nas_header::kOpcode], NAS_OPCODE_DISCOVERY);
  }
  const uint8_t unlike = other == 0 ? 1 : other;  // changes whatever byte it is added to
  switch (shape) {
    case 2:
      WriteU32(&reply[nas_header::kTransactionId], id + unlike);
      break;
    case 3:
      reply[nas_header::kTargetMac + other % 6] ^= unlike;
      break;
    case 4:
      reply[nas_header::kServiceId] = static_cast<uint8_t>(kNasServiceId + unlike);
      break;
    case 5:
      reply[nas_header::kDirection] = static_cast<uint8_t>(kNasDirectionReply + unlike);
      break;
    default:
      break;
  }

  // What the header says, read from the bytes themselves.
  const bool ours =
      reply[nas_header::kServiceId] == kNasServiceId && reply[nas_header::kDirection] == kNasDirectionReply;
  const bool answers = ours && ReadU32(&reply[nas_header::kTransactionId]) == id &&
                       std::equal(mac.begin(), mac.end(), reply.begin() + nas_header::kTargetMac);
  Check(answers == (shape == 1 || (shape == 0 && answers)));
  const uint8_t error_class = reply[nas_header::kErrorClass];
  const ResponseHeaderResult expected = !answers                                   ? RESPONSE_HDR_IGNORE
                                        : error_class == kNasErrorClassPassword    ? RESPONSE_HDR_ERR_PASSWORD
                                        : error_class == kNasErrorClassUnsupported ? RESPONSE_HDR_ERR_UNSUPPORT
                                                                                   : RESPONSE_HDR_OK;
  Check(CheckResponseHeader(reply, id, mac) == expected);

  NasProbeRecord probe;
  probe.bytes.fill(untouched);
  Check(ParseProbeReply(reply, id, mac, probe) == expected);
  Check(RecordFollows(expected == RESPONSE_HDR_OK, probe.bytes, reply, nas_header::kReplyPayload, untouched));

  NasSettingsRecord settings;
  settings.bytes.fill(untouched);
  Check(ParseSettingsReply(reply, id, mac, settings) == expected);
  Check(RecordFollows(expected == RESPONSE_HDR_OK, settings.bytes, reply, nas_header::kReplyPayload, untouched));

  // A discovery reply has no id or MAC to match, but its whole opcode must be 31.
  NasDiscoveryRecord record;
  record.bytes.fill(untouched);
  const bool listed = ours && ReadU16(&reply[nas_header::kOpcode]) == NAS_OPCODE_DISCOVERY;
  Check(ParseDiscoveryReply(reply, record) == (listed ? 0 : 1));
  Check(RecordFollows(listed, record.bytes, reply, discovery_field::kReplyOffset, untouched));
  return 0;
}
