#pragma once

#include <string>
#include <string_view>

// Captions and edit texts are UTF-8; the edit controls work in UTF-16 code units, as the
// platform's edit controls count characters.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);
