#include "platform/ping_command.h"

#include <cstdlib>

namespace platform {
namespace {

using Lines = std::vector<std::string>;

bool ReadNumber(const std::string& text, uint64_t low, uint64_t high, uint32_t& value) {
  if (text.empty() || text.size() > 10) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  const uint64_t n = std::strtoull(text.c_str(), nullptr, 10);
  if (n < low || n > high) return false;
  value = static_cast<uint32_t>(n);
  return true;
}

}  // namespace

std::variant<PingCommand, std::vector<std::string>> ParsePingArguments(const std::vector<std::string>& words) {
  PingCommand command;
  bool have_target = false;
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    if (word.size() >= 2 && (word[0] == '-' || word[0] == '/')) {
      const std::string option = word.substr(1);
      if (option == "t") {
        command.until_stopped = true;
      } else if (option == "a" || option == "4") {
        // Names are not looked up for replies, and IPv4 is all there is.
      } else if (option == "n" || option == "l" || option == "w") {
        if (i + 1 >= words.size()) return Lines{"Value must be supplied for option " + word + "."};
        const std::string& value = words[++i];
        const uint64_t high = option == "l" ? 65500 : 4294967295u;
        uint32_t number = 0;
        if (!ReadNumber(value, option == "n" ? 1 : 0, high, number)) {
          return Lines{"Bad value for option " + word + ", valid range is from " + (option == "n" ? "1" : "0") +
                       " to " + std::to_string(high) + "."};
        }
        (option == "n" ? command.count : option == "l" ? command.size : command.timeout_ms) = number;
      } else {
        return Lines{"Bad option " + word + "."};
      }
      continue;
    }
    if (have_target) return Lines{"Bad parameter " + word + "."};
    command.target = word;
    have_target = true;
  }
  if (!have_target || command.target.empty()) return Lines{"IP address must be specified."};
  return command;
}

}  // namespace platform
