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

// The numbers in iputils' lines are read whatever their length and clamped to what their fields
// can hold; a reply counts only for a request that can have been sent: not after the count, and,
// since iputils sends one request a second, not further ahead than the time since the start
// allows. So received never exceeds sent, and no reply makes it print more request lines than
// the count asked for. Lines longer than any iputils writes are not read.
class IputilsPingTranscript {
 public:
  explicit IputilsPingTranscript(PingCommand command) : command_(std::move(command)) {}

  // A line of its standard output, `elapsed_ms` after it was started: the Windows lines it
  // makes, possibly none.
  std::vector<std::string> OnOutput(std::string_view line, uint64_t elapsed_ms);
  // A line of its standard error. `understood` is false for a text that has no Windows
  // counterpart, which the caller passes on to the user.
  std::vector<std::string> OnError(std::string_view line, bool& understood);
  // After it ended, `elapsed_ms` after its start: the requests that got no answer, and the
  // statistics.
  std::vector<std::string> Finish(uint64_t elapsed_ms);

  // The longest line that is read.
  static constexpr size_t kMaxLine = 1024;

 private:
  void Header(std::vector<std::string>& out);
  // "Request timed out." for every request before `seq` that got no answer.
  void CatchUp(uint64_t seq, std::vector<std::string>& out);
  // The highest request number iputils can have sent by then.
  uint64_t MostRequests(uint64_t elapsed_ms) const;

  const PingCommand command_;
  bool header_written_ = false;
  bool unknown_host_ = false;
  bool transmit_failed_ = false;
  std::string address_;
  uint64_t next_seq_ = 1;  // the first request not yet accounted for
  uint32_t transmitted_ = 0;
  PingTally tally_;
};

}  // namespace platform
