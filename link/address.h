#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Dotted IPv4 text and a 32-bit value with the first octet in the most significant byte (the
// reverse of the records on the wire). Up to four fields are read; each is converted with the
// strict conversion, so an empty or non-numeric field raises platform::EConvertError, and its
// low 8 bits become the byte. Fields that are not there stay 0.
uint32_t IpStrToInt(std::string_view text);
std::string IpIntToStr(uint32_t value);
