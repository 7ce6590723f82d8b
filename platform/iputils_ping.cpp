#include "platform/iputils_ping.h"

#include <algorithm>
#include <cstdint>
#include <regex>

namespace platform {
namespace {

const std::regex& HeaderPattern() {
  static const std::regex pattern(R"(^PING (\S+) \(([^)]+)\))");
  return pattern;
}
const std::regex& ReplyPattern() {
  static const std::regex pattern(
      R"(^(\d+) bytes from ([^:\s]+): icmp_seq=(\d+) ttl=(\d+)(?: time=([0-9.]+) ms)?(.*)$)");
  return pattern;
}
const std::regex& ErrorReplyPattern() {
  static const std::regex pattern(R"(^From (\S+) icmp_seq=(\d+) (.+)$)");
  return pattern;
}
const std::regex& SummaryPattern() {
  static const std::regex pattern(R"(^(\d+) packets transmitted, (\d+) received)");
  return pattern;
}

// The decimal digits at the start of a text, whatever their number, as a value of at most `most`.
uint32_t Number(const std::string& text, uint32_t most = UINT32_MAX) {
  uint64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') break;
    value = std::min<uint64_t>(value * 10 + static_cast<uint64_t>(c - '0'), most);
  }
  return static_cast<uint32_t>(value);
}

// What an ICMP packet can carry: a length of 16 bits, a TTL of 8.
constexpr uint32_t kMostPacketBytes = 65535;
constexpr uint32_t kMostTtl = 255;
// iputils sends a request a second, the first at once.
constexpr uint64_t kRequestIntervalMs = 1000;

// The Windows reason for an ICMP error that iputils names.
std::string ReasonOf(const std::string& iputils) {
  if (iputils.find("Net Unreachable") != std::string::npos) return "Destination net unreachable.";
  if (iputils.find("Port Unreachable") != std::string::npos) return "Destination port unreachable.";
  if (iputils.find("Protocol Unreachable") != std::string::npos) return "Destination protocol unreachable.";
  if (iputils.find("Time to live exceeded") != std::string::npos) return "TTL expired in transit.";
  return kPingHostUnreachable;
}

bool Contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

}  // namespace

std::vector<std::string> IputilsPingArguments(const PingCommand& command) {
  std::vector<std::string> args = {"ping", "-n"};
  if (!command.until_stopped) {
    args.push_back("-c");
    args.push_back(std::to_string(command.count));
  }
  args.push_back("-s");
  args.push_back(std::to_string(command.size));
  args.push_back("-W");
  args.push_back(std::to_string(std::max<uint32_t>(1, (command.timeout_ms + 999) / 1000)));
  args.push_back("--");
  args.push_back(command.target);
  return args;
}

void IputilsPingTranscript::Header(std::vector<std::string>& out) {
  if (header_written_) return;
  header_written_ = true;
  if (address_.empty()) address_ = command_.target;
  for (std::string& line : PingHeaderLines(command_.target, address_, command_.size)) out.push_back(std::move(line));
}

void IputilsPingTranscript::CatchUp(uint64_t seq, std::vector<std::string>& out) {
  for (; next_seq_ < seq; ++next_seq_) {
    out.push_back(transmit_failed_ ? kPingTransmitFailed : kPingTimedOut);
    ++tally_.sent;
  }
}

uint64_t IputilsPingTranscript::MostRequests(uint64_t elapsed_ms) const {
  // One more than the time gives, since the clock starts a moment after ping does.
  const uint64_t by_time = elapsed_ms / kRequestIntervalMs + 2;
  return command_.until_stopped ? by_time : std::min<uint64_t>(command_.count, by_time);
}

std::vector<std::string> IputilsPingTranscript::OnOutput(std::string_view text, uint64_t elapsed_ms) {
  std::vector<std::string> out;
  if (text.size() > kMaxLine) return out;
  const std::string line(text);
  std::smatch m;
  if (std::regex_search(line, m, HeaderPattern())) {
    address_ = m[2];
    Header(out);
  } else if (std::regex_match(line, m, ReplyPattern())) {
    const uint64_t seq = Number(m[3]);
    // A duplicate, a reply that came after its request was given up, or one to a request that
    // was never sent is not shown.
    if (seq < next_seq_ || seq > MostRequests(elapsed_ms) || Contains(m[6].str(), "DUP!")) return out;
    Header(out);
    CatchUp(seq, out);
    const uint32_t length = Number(m[1], kMostPacketBytes);
    const uint32_t bytes = length >= 8 ? length - 8 : 0;
    // Whole milliseconds: the digits before the point ("0.045" is 0, "." too).
    const uint32_t time_ms = m[5].matched ? Number(m[5]) : 0;
    out.push_back(PingReplyLine(m[2], bytes, time_ms, Number(m[4], kMostTtl)));
    ++tally_.sent;
    ++tally_.received;
    tally_.times_ms.push_back(time_ms);
    next_seq_ = seq + 1;
  } else if (std::regex_match(line, m, ErrorReplyPattern())) {
    const uint64_t seq = Number(m[2]);
    if (seq < next_seq_ || seq > MostRequests(elapsed_ms)) return out;
    Header(out);
    CatchUp(seq, out);
    out.push_back(PingErrorReplyLine(m[1], ReasonOf(m[3])));
    ++tally_.sent;
    ++tally_.received;
    next_seq_ = seq + 1;
  } else if (std::regex_search(line, m, SummaryPattern())) {
    transmitted_ = Number(m[1]);
  }
  return out;
}

std::vector<std::string> IputilsPingTranscript::OnError(std::string_view line, bool& understood) {
  understood = true;
  if (Contains(line, "Name or service not known") || Contains(line, "unknown host") ||
      Contains(line, "Temporary failure in name resolution") || Contains(line, "No address associated")) {
    unknown_host_ = true;
  } else if (Contains(line, "Network is unreachable")) {
    transmit_failed_ = true;
  } else {
    understood = false;
    transmit_failed_ = transmit_failed_ || Contains(line, "not permitted") || Contains(line, "Permission denied");
  }
  return {};
}

std::vector<std::string> IputilsPingTranscript::Finish(uint64_t elapsed_ms) {
  std::vector<std::string> out;
  if (unknown_host_ && !header_written_) return {PingUnknownHostLine(command_.target)};
  Header(out);
  // A counted run has sent its count once it ended (also when it could not send at all); one
  // until stopped has sent what it says, as far as its time allows.
  uint64_t total = command_.count;
  if (command_.until_stopped) {
    total = std::max<uint64_t>(next_seq_ - 1, std::min<uint64_t>(transmitted_, MostRequests(elapsed_ms)));
  }
  CatchUp(total + 1, out);
  for (std::string& line : PingStatisticsLines(address_, tally_)) out.push_back(std::move(line));
  return out;
}

}  // namespace platform
