#include "link/address.h"

#include <cstdio>

#include "platform/convert.h"

uint32_t IpStrToInt(std::string_view text) {
  uint32_t bytes[4] = {0, 0, 0, 0};
  int fields = 0;
  while (!text.empty() && fields < 4) {
    const size_t dot = text.find('.');
    const std::string_view field = text.substr(0, dot);
    bytes[fields++] = static_cast<uint32_t>(platform::StrToInt(field)) & 0xFF;
    text = dot == std::string_view::npos ? std::string_view() : text.substr(dot + 1);
  }
  return (bytes[0] << 24) | (bytes[1] << 16) | (bytes[2] << 8) | bytes[3];
}

std::string IpIntToStr(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", value >> 24, (value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
  return text;
}
