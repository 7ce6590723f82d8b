#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The bytes of a whole regular file (a link to one is followed), read in one go. Nothing when
// it cannot be read, or is not a regular file: a FIFO is never waited on.
std::optional<std::string> ReadFileBytes(const std::string& path);

// A whole text file as the platform's readers take it: UTF-16 LE or BE after its byte-order
// mark, otherwise UTF-8 (with or without its mark, which is dropped). Sequences that are not
// valid in the encoding become U+FFFD. Nothing when the file cannot be read (missing, a folder,
// no permission).
std::optional<std::u16string> ReadTextFile(const std::string& path);

// The same decoding for bytes already read.
std::u16string DecodeText(std::string_view bytes);

}  // namespace platform
