#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/processes.h"
#include "sim/lan.h"

namespace sim {

// How a host answers an echo request: after `time_ms` (written "time<1ms" for 0), with its TTL.
struct PingAnswer {
  uint32_t time_ms = 0;
  uint32_t ttl = 64;
};

// The simulated PC's programs: a ping that answers for the PC itself, for addresses a test makes
// answer (a router, public servers) and for what the world's responder names (its boxes), and
// writes the Windows ping's output over the program's clock, line by line as the replies come.
//
// Request i goes out at s(i); its line is written at s(i) + d: d is the answer's time (at least
// 1 ms), 3000 ms for an address of the PC's own subnets that nobody has ("Destination host
// unreachable", from the PC's address), else the time-out (4000 ms, "Request timed out."). The
// next request goes out at s(i) + max(d, 1000). The header is written at once, the statistics
// with the last line. Who answers is decided when each request goes out. A reader at the very
// instant of a line races with its writing; the reachability test reads on whole seconds from
// the start, between the lines.
class SimProcesses final : public platform::Processes {
 public:
  static constexpr uint32_t kIntervalMs = 1000;
  static constexpr uint32_t kUnreachableMs = 3000;

  SimProcesses(Lan& lan, Host& pc) : lan_(lan), pc_(pc) {}

  void AnswerPings(Ipv4 address, PingAnswer answer = {});
  void StopAnswering(Ipv4 address);
  void SetResponder(std::function<std::optional<PingAnswer>(Ipv4 address)> responder);
  // A PC without a ping program: StartPing fails with ERROR_FILE_NOT_FOUND.
  void SetPingMissing(bool missing);

  struct StartedPing {
    uint64_t time_ms = 0;
    platform::PingCommand command;
  };
  std::vector<StartedPing> Pings();

  platform::DWORD StartPing(const platform::PingCommand& command,
                            std::shared_ptr<platform::ProgramOutput> output) override;

 private:
  struct Run;
  void Request(const std::shared_ptr<Run>& run);
  std::optional<PingAnswer> AnswerFor(Ipv4 address);
  // The PC's address on a subnet that holds `address`, if any.
  std::optional<Ipv4> LocalSubnetOf(Ipv4 address);

  Lan& lan_;
  Host& pc_;
  std::mutex mutex_;
  std::map<Ipv4, PingAnswer> answers_;
  std::function<std::optional<PingAnswer>(Ipv4)> responder_;
  bool ping_missing_ = false;
  std::vector<StartedPing> pings_;
};

}  // namespace sim
