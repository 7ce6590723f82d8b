#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "link/wire.h"

// The three fixed records carried by the packets. Each is its bytes as they travel; fields are
// read and written through the offsets below, never by overlaying a struct.

struct NasDiscoveryRecord {
  std::array<uint8_t, 248> bytes{};
};
struct NasProbeRecord {
  std::array<uint8_t, 229> bytes{};
};
struct NasSettingsRecord {
  std::array<uint8_t, 437> bytes{};
};
static_assert(sizeof(NasDiscoveryRecord) == 248);
static_assert(sizeof(NasProbeRecord) == 229);
static_assert(sizeof(NasSettingsRecord) == 437);

// NasDiscoveryRecord: bytes 8..255 of a discovery reply (record offset = reply offset - 8).
namespace discovery_field {
constexpr size_t kReplyOffset = 8;
constexpr size_t kModelName = 192;
constexpr size_t kModelNameSize = 32;
constexpr size_t kOperationMode = 240;
constexpr size_t kMac = 241;  // six raw bytes
constexpr size_t kSize = 248;
}  // namespace discovery_field
static_assert(discovery_field::kReplyOffset + discovery_field::kSize == 256);
static_assert(discovery_field::kMac + 6 + 1 == discovery_field::kSize);

enum : uint8_t { OPERATION_MODE_WB = 0, OPERATION_MODE_AP = 1 };

// NasProbeRecord: bytes 14..242 of an opcode-41 reply.
namespace probe_field {
constexpr size_t kIsNotDefault = 0;
constexpr size_t kIsSetBy0ts = 1;
constexpr size_t kIsWAN = 2;
constexpr size_t kIsDHCP = 3;
constexpr size_t kIsPPPOE = 4;
constexpr size_t kAuth = 5;
constexpr size_t kWds = 6;
constexpr size_t kProductId = 8;
constexpr size_t kProductIdSize = 32;
constexpr size_t kFirmwareVersion = 40;
constexpr size_t kFirmwareVersionSize = 189;
}  // namespace probe_field
static_assert(probe_field::kFirmwareVersion + probe_field::kFirmwareVersionSize == 229);

// NasSettingsRecord: request bytes 46..482, reply bytes 14..450 (opcode 40).
namespace settings_field {
constexpr size_t kAction = 0;
constexpr size_t kSsid = 1;
constexpr size_t kSsidSize = 32;
constexpr size_t kIpMode = 100;
constexpr size_t kMacText = 229;
constexpr size_t kMacTextSize = 12;
constexpr size_t kHostname = 241;
constexpr size_t kHostnameSize = 64;
constexpr size_t kIpAddress = 305;
constexpr size_t kSubnetMask = 309;
constexpr size_t kGateway = 313;
constexpr size_t kDns1 = 317;
constexpr size_t kDns2 = 321;
constexpr size_t kTimeZone = 325;
constexpr size_t kTimeZoneSize = 16;
constexpr size_t kUsername = 341;
constexpr size_t kUsernameSize = 40;
constexpr size_t kPassword = 381;
constexpr size_t kPasswordSize = 40;
constexpr size_t kDateTime = 421;
constexpr size_t kDateTimeSize = 16;
constexpr size_t kSize = 437;
}  // namespace settings_field
static_assert(settings_field::kDateTime + settings_field::kDateTimeSize == settings_field::kSize);
static_assert(settings_field::kHostname + settings_field::kHostnameSize == settings_field::kIpAddress);

constexpr uint8_t kSettingsActionRead = 0x41;
constexpr uint8_t kSettingsActionWrite = 2;
constexpr uint8_t kIpModeFixed = 3;
constexpr uint8_t kIpModeDhcp = 0;

// A text field: the bytes up to the first NUL or the end of the field.
template <size_t N>
std::string ReadTextField(const std::array<uint8_t, N>& bytes, size_t offset, size_t size) {
  std::string text;
  for (size_t i = offset; i < offset + size && i < N && bytes[i] != 0; ++i) text.push_back(static_cast<char>(bytes[i]));
  return text;
}

// Writes text into a field, cut to the field's size and zero-padded; a text that fills the field
// leaves no terminator, as on the wire.
template <size_t N>
void WriteTextField(std::array<uint8_t, N>& bytes, size_t offset, size_t size, std::string_view text) {
  for (size_t i = 0; i < size; ++i) bytes[offset + i] = i < text.size() ? static_cast<uint8_t>(text[i]) : 0;
}

// IPv4 in network order: the first octet is the byte at the lowest offset, which is the least
// significant byte of the little-endian 32-bit value returned here.
template <size_t N>
uint32_t ReadAddressField(const std::array<uint8_t, N>& bytes, size_t offset) {
  static_assert(N >= 4);
  return ReadU32(bytes.data() + offset);
}
template <size_t N>
void WriteAddressField(std::array<uint8_t, N>& bytes, size_t offset, uint32_t value) {
  WriteU32(bytes.data() + offset, value);
}
