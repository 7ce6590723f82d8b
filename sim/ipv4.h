#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sim {

// An IPv4 address with the first octet in the most significant byte.
using Ipv4 = uint32_t;

// Strict dotted-quad text: four decimal octets 0..255, nothing else.
std::optional<Ipv4> ParseIpv4(std::string_view text);
// As ParseIpv4 for configuration texts; throws std::invalid_argument naming the text.
Ipv4 Ipv4Of(std::string_view text);
std::string FormatIpv4(Ipv4 address);

inline Ipv4 SubnetBroadcast(Ipv4 address, Ipv4 mask) { return address | ~mask; }
inline bool SameSubnet(Ipv4 a, Ipv4 b, Ipv4 mask) { return (a & mask) == (b & mask); }

}  // namespace sim
