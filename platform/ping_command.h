#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

// The Windows ping's command line: the options the emulation offers and the texts with which the
// real one refuses a line.
namespace platform {

struct PingCommand {
  std::string target;
  uint32_t count = 4;          // echo requests; -n
  bool until_stopped = false;  // -t
  uint32_t size = 32;          // data bytes; -l
  uint32_t timeout_ms = 4000;  // wait for each reply; -w
  friend bool operator==(const PingCommand&, const PingCommand&) = default;
};

// The words after "ping": the command, or the lines ping prints when it refuses them ("Bad option
// -x.", "IP address must be specified.").
std::variant<PingCommand, std::vector<std::string>> ParsePingArguments(const std::vector<std::string>& words);

}  // namespace platform
