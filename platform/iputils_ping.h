#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ping_command.h"
#include "platform/ping_output.h"

// The host's ping (iputils) standing in for the Windows ping: the arguments that make it send
// what the Windows command would, and the translation of what it prints into the Windows ping's
// lines (iputils writes "ttl=", the Windows ping "TTL=", and the program reads the latter).
namespace platform {

// The argument vector, program name first: numeric output, the count (none for -t), the data
// size, the reply time-out in whole seconds, and the target after "--" so that it is never read
// as an option.
std::vector<std::string> IputilsPingArguments(const PingCommand& command);

class IputilsPingTranscript {
 public:
  explicit IputilsPingTranscript(PingCommand command) : command_(std::move(command)) {}

  // A line of its standard output: the Windows lines it makes, possibly none.
  std::vector<std::string> OnOutput(std::string_view line);
  // A line of its standard error. `understood` is false for a text that has no Windows
  // counterpart, which the caller passes on to the user.
  std::vector<std::string> OnError(std::string_view line, bool& understood);
  // After it ended: the requests that got no answer, and the statistics.
  std::vector<std::string> Finish();

 private:
  void Header(std::vector<std::string>& out);
  // "Request timed out." for every request before `seq` that got no answer.
  void CatchUp(uint32_t seq, std::vector<std::string>& out);

  const PingCommand command_;
  bool header_written_ = false;
  bool unknown_host_ = false;
  bool transmit_failed_ = false;
  std::string address_;
  uint32_t next_seq_ = 1;  // the first request not yet accounted for
  uint32_t transmitted_ = 0;
  PingTally tally_;
};

}  // namespace platform
