#include "platform/convert.h"

#include <limits>
#include <string>

#include "platform/exception.h"

namespace platform {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads sign and digits from text[pos]; returns the clamped value and moves pos past them.
int64_t ReadSignedDigits(std::string_view text, size_t& pos, bool& any_digit) {
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    negative = text[pos] == '-';
    ++pos;
  }
  int64_t value = 0;
  any_digit = false;
  constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
  while (pos < text.size() && IsDigit(text[pos])) {
    any_digit = true;
    if (value <= kLimit) value = value * 10 + (text[pos] - '0');
    ++pos;
  }
  if (value > kLimit) value = kLimit + 1;  // marks overflow without growing further
  return negative ? -value : value;
}

}  // namespace

int32_t StrToInt(std::string_view text) {
  size_t pos = 0;
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  bool any_digit = false;
  const int64_t value = ReadSignedDigits(text, pos, any_digit);
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  if (!any_digit || pos != text.size() || value < std::numeric_limits<int32_t>::min() ||
      value > std::numeric_limits<int32_t>::max()) {
    throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
  }
  return static_cast<int32_t>(value);
}

int32_t AtoI(std::string_view text) {
  size_t pos = 0;
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  bool any_digit = false;
  const int64_t value = ReadSignedDigits(text, pos, any_digit);
  if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(value);
}

}  // namespace platform
