#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// The box's wire format: one fixed 512-byte packet with a common header. Multi-byte header fields
// are little-endian; IPv4 addresses inside records are four bytes in network order.

constexpr size_t kNasPacketSize = 512;
using NasPacket = std::array<uint8_t, kNasPacketSize>;
using NasMac = std::array<uint8_t, 6>;
using NasPassword = std::array<char, 32>;

constexpr uint16_t kNasUdpPort = 9999;
constexpr uint16_t kNasTcpPort = 9998;

constexpr uint8_t kNasServiceId = 12;
constexpr uint8_t kNasDirectionRequest = 21;
constexpr uint8_t kNasDirectionReply = 22;

// Header offsets (NasPacketHeader: 46 bytes in a request, 14 in a reply).
namespace nas_header {
constexpr size_t kServiceId = 0;
constexpr size_t kDirection = 1;
constexpr size_t kOpcode = 2;  // u16 LE; in a reply byte 3 is the error class
constexpr size_t kErrorClass = 3;
constexpr size_t kTransactionId = 4;  // u32 LE
constexpr size_t kTargetMac = 8;      // 6 bytes
constexpr size_t kPassword = 14;      // 32 bytes, NUL-padded
constexpr size_t kRequestSize = 46;
constexpr size_t kReplyPayload = 14;
}  // namespace nas_header

enum NasOpcode : uint16_t {
  NAS_OPCODE_DISCOVERY = 31,
  NAS_OPCODE_SETTINGS = 40,
  NAS_OPCODE_PROBE = 41,
  NAS_OPCODE_DISK_COMMAND = 54,
};

constexpr uint8_t kNasErrorClassPassword = 0x01;
constexpr uint8_t kNasErrorClassUnsupported = 0x02;

enum ResponseHeaderResult : int {
  RESPONSE_HDR_OK = 0,
  RESPONSE_HDR_IGNORE = 1,
  RESPONSE_HDR_ERR_PASSWORD = 2,
  RESPONSE_HDR_ERR_UNSUPPORT = 4,
};

// Little-endian field access, byte by byte: no alignment or host byte order is assumed.
inline uint16_t ReadU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t ReadU32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}
inline void WriteU16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
inline void WriteU32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
