#include "sim/ipv4.h"

#include <cstdio>
#include <stdexcept>

namespace sim {

std::optional<Ipv4> ParseIpv4(std::string_view text) {
  Ipv4 value = 0;
  for (int octet = 0; octet < 4; ++octet) {
    if (octet > 0) {
      if (text.empty() || text.front() != '.') return std::nullopt;
      text.remove_prefix(1);
    }
    int digits = 0;
    uint32_t part = 0;
    while (!text.empty() && text.front() >= '0' && text.front() <= '9' && digits < 3) {
      part = part * 10 + static_cast<uint32_t>(text.front() - '0');
      text.remove_prefix(1);
      ++digits;
    }
    if (digits == 0 || part > 255) return std::nullopt;
    value = (value << 8) | part;
  }
  if (!text.empty()) return std::nullopt;
  return value;
}

Ipv4 Ipv4Of(std::string_view text) {
  const std::optional<Ipv4> value = ParseIpv4(text);
  if (!value) throw std::invalid_argument("not an IPv4 address: '" + std::string(text) + "'");
  return *value;
}

std::string FormatIpv4(Ipv4 a) {
  char text[16];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", a >> 24, (a >> 16) & 0xFF, (a >> 8) & 0xFF, a & 0xFF);
  return text;
}

}  // namespace sim
