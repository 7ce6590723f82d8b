#include "link/codec.h"

#include <algorithm>
#include <atomic>

namespace {

// Requests are built on the main thread or on the apply thread, never on both at once; the
// atomic only keeps the hand-over between them well defined.
std::atomic<uint32_t> g_transaction_counter{1};

void CopyRecordFrom(const NasPacket& reply, size_t offset, uint8_t* out, size_t size) {
  std::copy_n(reply.begin() + static_cast<std::ptrdiff_t>(offset), size, out);
}

}  // namespace

uint32_t NextTransactionId() {
  uint32_t next = g_transaction_counter.load(std::memory_order_relaxed) + 1;
  if (next == 0) next = 1;
  g_transaction_counter.store(next, std::memory_order_relaxed);
  return next;
}

uint32_t CurrentTransactionId() { return g_transaction_counter.load(std::memory_order_relaxed); }

void SetTransactionCounterForTest(uint32_t value) { g_transaction_counter.store(value, std::memory_order_relaxed); }

uint32_t BuildRequestHeader(NasPacket& packet, uint16_t opcode, const NasMac& target_mac, const NasPassword& password) {
  const uint32_t id = NextTransactionId();
  packet[nas_header::kServiceId] = kNasServiceId;
  packet[nas_header::kDirection] = kNasDirectionRequest;
  WriteU16(&packet[nas_header::kOpcode], opcode);
  WriteU32(&packet[nas_header::kTransactionId], id);
  std::copy(target_mac.begin(), target_mac.end(), packet.begin() + nas_header::kTargetMac);
  for (size_t i = 0; i < password.size(); ++i) packet[nas_header::kPassword + i] = static_cast<uint8_t>(password[i]);
  return id;
}

ResponseHeaderResult CheckResponseHeader(const NasPacket& reply, uint32_t expected_id, const NasMac& expected_mac) {
  if (reply[nas_header::kServiceId] != kNasServiceId || reply[nas_header::kDirection] != kNasDirectionReply) {
    return RESPONSE_HDR_IGNORE;
  }
  if (ReadU32(&reply[nas_header::kTransactionId]) != expected_id) return RESPONSE_HDR_IGNORE;
  if (!std::equal(expected_mac.begin(), expected_mac.end(), reply.begin() + nas_header::kTargetMac)) {
    return RESPONSE_HDR_IGNORE;
  }
  // The opcode's low byte is not compared: the transaction id alone ties a reply to its request.
  switch (reply[nas_header::kErrorClass]) {
    case kNasErrorClassPassword:
      return RESPONSE_HDR_ERR_PASSWORD;
    case kNasErrorClassUnsupported:
      return RESPONSE_HDR_ERR_UNSUPPORT;
    default:
      return RESPONSE_HDR_OK;
  }
}

uint32_t BuildProbeRequest(NasPacket& packet, const NasMac& target_mac, const NasPassword& password) {
  packet.fill(0);
  return BuildRequestHeader(packet, NAS_OPCODE_PROBE, target_mac, password);
}

ResponseHeaderResult ParseProbeReply(const NasPacket& reply, uint32_t expected_id, const NasMac& expected_mac,
                                     NasProbeRecord& record) {
  const ResponseHeaderResult result = CheckResponseHeader(reply, expected_id, expected_mac);
  if (result == RESPONSE_HDR_OK) {
    CopyRecordFrom(reply, nas_header::kReplyPayload, record.bytes.data(), record.bytes.size());
  }
  return result;
}

uint32_t BuildSettingsRequest(NasPacket& packet, const NasMac& target_mac, const NasPassword& password,
                              const NasSettingsRecord& record) {
  packet.fill(0);
  const uint32_t id = BuildRequestHeader(packet, NAS_OPCODE_SETTINGS, target_mac, password);
  std::copy(record.bytes.begin(), record.bytes.end(), packet.begin() + nas_header::kRequestSize);
  return id;
}

ResponseHeaderResult ParseSettingsReply(const NasPacket& reply, uint32_t expected_id, const NasMac& expected_mac,
                                        NasSettingsRecord& record) {
  const ResponseHeaderResult result = CheckResponseHeader(reply, expected_id, expected_mac);
  if (result == RESPONSE_HDR_OK) {
    CopyRecordFrom(reply, nas_header::kReplyPayload, record.bytes.data(), record.bytes.size());
  }
  return result;
}

int ParseDiscoveryReply(const NasPacket& reply, NasDiscoveryRecord& record) {
  if (reply[nas_header::kServiceId] != kNasServiceId || reply[nas_header::kDirection] != kNasDirectionReply ||
      ReadU16(&reply[nas_header::kOpcode]) != NAS_OPCODE_DISCOVERY) {
    return 1;
  }
  CopyRecordFrom(reply, discovery_field::kReplyOffset, record.bytes.data(), record.bytes.size());
  return 0;
}

void BuildDiscoveryRequest(NasPacket& packet) {
  packet.fill(0);
  packet[nas_header::kServiceId] = kNasServiceId;
  packet[nas_header::kDirection] = kNasDirectionRequest;
  WriteU16(&packet[nas_header::kOpcode], NAS_OPCODE_DISCOVERY);
}
