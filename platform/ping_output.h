#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The lines the Windows ping writes, which the program reads back from its output file: every
// reply of a host carries "TTL=".
namespace platform {

// The blank line and "Pinging <target> [<address>] with <size> bytes of data:" (no brackets when
// the target is the address itself).
std::vector<std::string> PingHeaderLines(const std::string& target, const std::string& address, uint32_t size);
// "Reply from 10.0.0.1: bytes=32 time<1ms TTL=64" (time=12ms from 1 ms on).
std::string PingReplyLine(const std::string& address, uint32_t bytes, uint32_t time_ms, uint32_t ttl);
// "Reply from 10.0.0.9: Destination host unreachable." and its kin; the reason's text follows the
// colon ("Destination host unreachable.").
std::string PingErrorReplyLine(const std::string& from, const std::string& reason);
std::string PingUnknownHostLine(const std::string& target);

constexpr const char* kPingTimedOut = "Request timed out.";
constexpr const char* kPingTransmitFailed = "PING: transmit failed. General failure.";
constexpr const char* kPingHostUnreachable = "Destination host unreachable.";

// What a run of ping counts for its closing statistics. Error replies (unreachable) count as
// received, as the Windows ping counts them; only echo replies have a round-trip time.
struct PingTally {
  uint32_t sent = 0;
  uint32_t received = 0;
  std::vector<uint32_t> times_ms;
};
// "Ping statistics for <address>:" with the packet counts, and the round-trip times when an echo
// reply came.
std::vector<std::string> PingStatisticsLines(const std::string& address, const PingTally& tally);

}  // namespace platform
