#pragma once

#include <cstdint>
#include <string_view>

namespace platform {

// Strict decimal conversion of the framework: optional blanks around the number, an optional
// sign, at least one digit and nothing else; the value must fit 32 bits. Anything else raises
// EConvertError with the framework's message ("'x' is not a valid integer value").
int32_t StrToInt(std::string_view text);

// Lenient conversion of the C runtime (atoi): leading white space, an optional sign, then digits
// up to the first other character; 0 when there are no digits. Values beyond 32 bits saturate.
int32_t AtoI(std::string_view text);

}  // namespace platform
