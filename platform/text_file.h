#pragma once

#include <optional>
#include <string>

namespace platform {

// A whole text file as the platform's readers take it: UTF-16 LE or BE after its byte-order
// mark, otherwise UTF-8 (with or without its mark, which is dropped). Sequences that are not
// valid in the encoding become U+FFFD. Nothing when the file cannot be read (missing, a folder,
// no permission).
std::optional<std::u16string> ReadTextFile(const std::string& path);

// The same decoding for bytes already read.
std::u16string DecodeText(std::string_view bytes);

}  // namespace platform
