#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/firewall.h"
#include "sim/call_faults.h"

namespace sim {

class SimServiceManager;

// The simulated PC's firewall: a profile in memory (on, exceptions allowed, nothing authorized
// at first), faults, and a log of the calls that reached it. Tied to a service, it answers only
// while that service runs, as the host's does.
class SimFirewall final : public platform::Firewall {
 public:
  void SetProfile(platform::FirewallProfileState profile);
  platform::FirewallProfileState Profile();
  void Fail(platform::FirewallCall call, platform::HRESULT error, unsigned succeed = 0) {
    faults_.Fail(call, error, succeed);
  }
  void RequireService(SimServiceManager* services, std::string name = "MpsSvc");
  std::vector<platform::FirewallCall> Calls();

  platform::HRESULT Admit(platform::FirewallCall call) override;
  platform::HRESULT ReadProfile(platform::FirewallProfileState* profile) override;
  platform::HRESULT Authorize(const platform::FirewallApplication& app) override;

 private:
  std::mutex mutex_;
  platform::FirewallProfileState profile_;
  std::vector<platform::FirewallCall> calls_;
  SimServiceManager* services_ = nullptr;
  std::string service_;
  CallFaults<platform::FirewallCall, platform::HRESULT> faults_;
};

}  // namespace sim
