#pragma once

#include <string>
#include <string_view>

namespace platform {

// UTF-8 and UTF-16 as the platform's own text functions use them. Bytes that are not UTF-8 and
// lone surrogates become U+FFFD; nothing is dropped silently.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

// Names that the platform matches without regard to letter case (profile sections and keys,
// registry keys and values) are compared by their upper-case form, one UTF-16 unit at a time,
// as the system's name tables do.
std::u16string UpcaseName(std::u16string_view name);
bool NamesEqual(std::u16string_view a, std::u16string_view b);

// Control characters (C0 or DEL): what no name of the system (a share, a service) and no field
// of a line-based file may hold.
bool IsControlCharacter(char c);
bool HasControlCharacter(std::string_view text);

}  // namespace platform
