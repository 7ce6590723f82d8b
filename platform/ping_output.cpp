#include "platform/ping_output.h"

#include <algorithm>
#include <numeric>

namespace platform {

std::vector<std::string> PingHeaderLines(const std::string& target, const std::string& address, uint32_t size) {
  const std::string who = target == address ? address : target + " [" + address + "]";
  return {"", "Pinging " + who + " with " + std::to_string(size) + " bytes of data:"};
}

std::string PingReplyLine(const std::string& address, uint32_t bytes, uint32_t time_ms, uint32_t ttl) {
  const std::string time = time_ms == 0 ? "time<1ms" : "time=" + std::to_string(time_ms) + "ms";
  return "Reply from " + address + ": bytes=" + std::to_string(bytes) + " " + time + " TTL=" + std::to_string(ttl);
}

std::string PingErrorReplyLine(const std::string& from, const std::string& reason) {
  return "Reply from " + from + ": " + reason;
}

std::string PingUnknownHostLine(const std::string& target) {
  return "Ping request could not find host " + target + ". Please check the name and try again.";
}

std::vector<std::string> PingStatisticsLines(const std::string& address, const PingTally& tally) {
  const uint32_t lost = tally.sent > tally.received ? tally.sent - tally.received : 0;
  const uint32_t percent = tally.sent == 0 ? 0 : static_cast<uint32_t>(uint64_t{lost} * 100 / tally.sent);
  std::vector<std::string> lines = {
      "",
      "Ping statistics for " + address + ":",
      "    Packets: Sent = " + std::to_string(tally.sent) + ", Received = " + std::to_string(tally.received) +
          ", Lost = " + std::to_string(lost) + " (" + std::to_string(percent) + "% loss),",
  };
  if (!tally.times_ms.empty()) {
    const auto [low, high] = std::minmax_element(tally.times_ms.begin(), tally.times_ms.end());
    const uint64_t sum = std::accumulate(tally.times_ms.begin(), tally.times_ms.end(), uint64_t{0});
    lines.push_back("Approximate round trip times in milli-seconds:");
    lines.push_back("    Minimum = " + std::to_string(*low) + "ms, Maximum = " + std::to_string(*high) +
                    "ms, Average = " + std::to_string(sum / tally.times_ms.size()) + "ms");
  }
  return lines;
}

}  // namespace platform
