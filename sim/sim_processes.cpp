#include "sim/sim_processes.h"

#include <algorithm>

#include "platform/clock.h"
#include "platform/ping_output.h"
#include "platform/sockets.h"

namespace sim {

struct SimProcesses::Run {
  platform::PingCommand command;
  std::string address;
  Ipv4 target = 0;
  std::shared_ptr<platform::ProgramOutput> output;
  platform::PingTally tally;
};

void SimProcesses::AnswerPings(Ipv4 address, PingAnswer answer) {
  std::lock_guard<std::mutex> lock(mutex_);
  answers_[address] = answer;
}

void SimProcesses::StopAnswering(Ipv4 address) {
  std::lock_guard<std::mutex> lock(mutex_);
  answers_.erase(address);
}

void SimProcesses::SetResponder(std::function<std::optional<PingAnswer>(Ipv4)> responder) {
  std::lock_guard<std::mutex> lock(mutex_);
  responder_ = std::move(responder);
}

void SimProcesses::SetPingMissing(bool missing) {
  std::lock_guard<std::mutex> lock(mutex_);
  ping_missing_ = missing;
}

std::vector<SimProcesses::StartedPing> SimProcesses::Pings() {
  std::lock_guard<std::mutex> lock(mutex_);
  return pings_;
}

std::optional<Ipv4> SimProcesses::LocalSubnetOf(Ipv4 address) {
  for (const Interface& i : pc_.Interfaces()) {
    if (i.address != 0 && SameSubnet(i.address, address, i.mask)) return i.address;
  }
  return std::nullopt;
}

std::optional<PingAnswer> SimProcesses::AnswerFor(Ipv4 address) {
  // The PC answers for itself as Windows does.
  if ((address >> 24) == 127) return PingAnswer{0, 128};
  for (const Interface& i : pc_.Interfaces()) {
    if (i.address == address) return PingAnswer{0, 128};
  }
  std::function<std::optional<PingAnswer>(Ipv4)> responder;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (auto it = answers_.find(address); it != answers_.end()) return it->second;
    responder = responder_;
  }
  return responder ? responder(address) : std::nullopt;
}

void SimProcesses::Request(const std::shared_ptr<Run>& run) {
  const std::optional<PingAnswer> answer = AnswerFor(run->target);
  const std::optional<Ipv4> local = answer ? std::nullopt : LocalSubnetOf(run->target);
  const uint32_t delay = answer  ? std::max<uint32_t>(answer->time_ms, 1)
                         : local ? kUnreachableMs
                                 : run->command.timeout_ms;
  std::string line = answer  ? platform::PingReplyLine(run->address, run->command.size, answer->time_ms, answer->ttl)
                     : local ? platform::PingErrorReplyLine(FormatIpv4(*local), platform::kPingHostUnreachable)
                             : platform::kPingTimedOut;
  const uint32_t next = std::max(delay, kIntervalMs) - delay;
  lan_.After(delay, [this, run, line = std::move(line), answer, local, next] {
    run->output->WriteLine(line);
    ++run->tally.sent;
    if (answer || local) ++run->tally.received;
    if (answer) run->tally.times_ms.push_back(answer->time_ms);
    if (run->command.until_stopped || run->tally.sent < run->command.count) {
      lan_.After(next, [this, run] { Request(run); });
      return;
    }
    for (const std::string& stat : platform::PingStatisticsLines(run->address, run->tally)) {
      run->output->WriteLine(stat);
    }
  });
}

platform::DWORD SimProcesses::StartPing(const platform::PingCommand& command,
                                        std::shared_ptr<platform::ProgramOutput> output) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (ping_missing_) return platform::ERROR_FILE_NOT_FOUND;
    pings_.push_back({platform::CurrentClock().NowMs(), command});
  }
  // The Windows ping reads a target as inet_addr does ("10.1" is 10.0.0.1); names are not known.
  const uint32_t network = platform::inet_addr(command.target.c_str());
  if (network == platform::kInaddrNone) {
    output->WriteLine(platform::PingUnknownHostLine(command.target));
    return platform::ERROR_SUCCESS;
  }
  auto run = std::make_shared<Run>();
  run->command = command;
  run->target = platform::Ntohl(network);
  run->address = FormatIpv4(run->target);
  run->output = std::move(output);
  for (const std::string& line : platform::PingHeaderLines(run->address, run->address, command.size)) {
    run->output->WriteLine(line);
  }
  Request(run);
  return platform::ERROR_SUCCESS;
}

}  // namespace sim
