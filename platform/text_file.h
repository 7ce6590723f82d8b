#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// What reading a whole file found: its bytes, nothing under the name, or something there that
// cannot be read. A writer must not replace the last: it would lose what it could not see.
struct FileBytes {
  enum class Status { kRead, kMissing, kUnreadable };
  Status status = Status::kMissing;
  std::string bytes;  // when read
  std::string why;    // when unreadable
};

// The bytes of a whole regular file (a link to one is followed), read in one go. Missing when
// nothing is under the name or its folder; unreadable on any other failure (no permission, no
// descriptor left, an I/O error) and for anything but a regular file: a FIFO is never waited on.
FileBytes ReadFileBytes(const std::string& path);

// A whole text file as the platform's readers take it: UTF-16 LE or BE after its byte-order
// mark, otherwise UTF-8 (with or without its mark, which is dropped). Sequences that are not
// valid in the encoding become U+FFFD. Nothing when the file cannot be read (missing, a folder,
// no permission).
std::optional<std::u16string> ReadTextFile(const std::string& path);

// The same decoding for bytes already read.
std::u16string DecodeText(std::string_view bytes);

}  // namespace platform
