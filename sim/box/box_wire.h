#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// The box's own reading of the wire: the offsets a box relies on, written down independently of
// the wizard's codec so that tests of one against the other catch a mistake in either.
namespace sim::box_wire {

constexpr size_t kPacketSize = 512;
constexpr uint8_t kServiceId = 12;
constexpr uint8_t kRequest = 21;
constexpr uint8_t kReply = 22;

constexpr size_t kService = 0;
constexpr size_t kDirection = 1;
constexpr size_t kOpcode = 2;  // low byte; byte 3 is the error class in a reply
constexpr size_t kErrorClass = 3;
constexpr size_t kTransaction = 4;  // u32 little-endian
constexpr size_t kMac = 8;          // 6 bytes
constexpr size_t kPassword = 14;    // 32 bytes
constexpr size_t kPasswordSize = 32;
constexpr size_t kRequestHeaderSize = 46;
constexpr size_t kRequestBody = 46;
constexpr size_t kReplyBody = 14;

constexpr uint16_t kOpDiscovery = 31;
constexpr uint16_t kOpSettings = 40;
constexpr uint16_t kOpProbe = 41;
constexpr uint16_t kOpDiskCommand = 54;

constexpr uint8_t kErrorPassword = 0x01;
constexpr uint8_t kErrorUnsupported = 0x02;

// Discovery reply: absolute offsets in the 512-byte reply.
constexpr size_t kDiscoveryHostName = 136;  // 32, informative only
constexpr size_t kDiscoveryFirmware = 168;  // 32, informative only
constexpr size_t kDiscoveryModel = 200;     // 32
constexpr size_t kDiscoveryMode = 248;
constexpr size_t kDiscoveryMacBytes = 249;  // 6

// Probe reply body (from byte 14).
constexpr size_t kProbeConfigured = 0;
constexpr size_t kProbeDhcp = 3;
constexpr size_t kProbeProductId = 8;  // 32
constexpr size_t kProbeFirmware = 40;  // 189

// Settings record, relative to its start (request byte 46, reply byte 14); 437 bytes.
constexpr size_t kSettingsSize = 437;
constexpr size_t kSetAction = 0;
constexpr size_t kSetIpMode = 100;
constexpr size_t kSetMacText = 229;   // 12
constexpr size_t kSetHostName = 241;  // 64
constexpr size_t kSetAddress = 305;
constexpr size_t kSetMask = 309;
constexpr size_t kSetGateway = 313;
constexpr size_t kSetDns1 = 317;
constexpr size_t kSetDns2 = 321;
constexpr size_t kSetTimeZone = 325;  // 16
constexpr size_t kSetUser = 341;      // 40
constexpr size_t kSetPassword = 381;  // 40
constexpr size_t kSetDateTime = 421;  // 16
constexpr uint8_t kActionRead = 0x41;
constexpr uint8_t kActionWrite = 2;
constexpr uint8_t kIpModeFixed = 3;

// Disk command: request text length at 46, text from 48; reply length at 14, text from 16.
constexpr size_t kCommandLength = 46;
constexpr size_t kCommandText = 48;
constexpr size_t kCommandMax = kPacketSize - kCommandText;
constexpr size_t kReplyTextLength = 14;
constexpr size_t kReplyText = 16;
constexpr size_t kReplyTextMax = 420;

using Bytes = std::vector<uint8_t>;

inline uint16_t U16(std::span<const uint8_t> b, size_t at) { return static_cast<uint16_t>(b[at] | (b[at + 1] << 8)); }
inline uint32_t U32(std::span<const uint8_t> b, size_t at) {
  return static_cast<uint32_t>(b[at]) | static_cast<uint32_t>(b[at + 1]) << 8 | static_cast<uint32_t>(b[at + 2]) << 16 |
         static_cast<uint32_t>(b[at + 3]) << 24;
}
inline void PutU16(Bytes& b, size_t at, uint16_t v) {
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}
inline void PutU32(Bytes& b, size_t at, uint32_t v) {
  for (size_t i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
// Text of a field: up to its first NUL or its end.
inline std::string Text(std::span<const uint8_t> b, size_t at, size_t size) {
  std::string t;
  for (size_t i = at; i < at + size && i < b.size() && b[i] != 0; ++i) t.push_back(static_cast<char>(b[i]));
  return t;
}
// Writes text cut to the field, zero-padded.
inline void PutText(Bytes& b, size_t at, size_t size, const std::string& text) {
  for (size_t i = 0; i < size; ++i) b[at + i] = i < text.size() ? static_cast<uint8_t>(text[i]) : 0;
}

}  // namespace sim::box_wire
