#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// What two processes of the window registry say to each other: the asker writes one request and
// ends its side, the window server answers with one number and closes. A request is its fields,
// each ended by a NUL: "FIND", the class name and the title (each "-" for none, which matches
// any, or "=" and the text); "SHOW", the window's id and the show command; "FRONT" and the
// window's id. Numbers are decimal digits, at most ten, within their range. The answer is the
// found window's id (0 for none), or 1 or 0 for a window that was asked or not.
namespace platform {

struct WindowRequest {
  enum class Kind { kFind, kShow, kFront };
  Kind kind = Kind::kFind;
  std::optional<std::string> class_name;  // kFind
  std::optional<std::string> title;       // kFind
  uint32_t id = 0;                        // kShow, kFront
  int show_command = 0;                   // kShow, 0 or more
  friend bool operator==(const WindowRequest&, const WindowRequest&) = default;
};

// The longest message either side reads.
constexpr size_t kMaxWindowMessage = 8192;

std::string EncodeWindowRequest(const WindowRequest& request);
// The request the message is, exactly: nothing for anything else (an unknown kind, a field too
// many or too few, a text field that is neither "-" nor "=...", a number out of its range,
// bytes after the last field's NUL).
std::optional<WindowRequest> ParseWindowRequest(std::string_view message);
// A decimal number of one to ten digits, at most 2^32 - 1, and nothing else.
std::optional<uint32_t> ParseWindowNumber(std::string_view text);

}  // namespace platform
