#include "sim/sim_firewall.h"

#include "sim/sim_services.h"

namespace sim {

using platform::HRESULT;

void SimFirewall::SetProfile(platform::FirewallProfileState profile) {
  std::lock_guard<std::mutex> lock(mutex_);
  profile_ = std::move(profile);
}

platform::FirewallProfileState SimFirewall::Profile() {
  std::lock_guard<std::mutex> lock(mutex_);
  return profile_;
}

void SimFirewall::RequireService(SimServiceManager* services, std::string name) {
  std::lock_guard<std::mutex> lock(mutex_);
  services_ = services;
  service_ = std::move(name);
}

std::vector<platform::FirewallCall> SimFirewall::Calls() {
  std::lock_guard<std::mutex> lock(mutex_);
  return calls_;
}

HRESULT SimFirewall::Admit(platform::FirewallCall call) {
  SimServiceManager* services;
  std::string service;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.push_back(call);
    services = services_;
    service = service_;
  }
  if (const HRESULT fault = faults_.Meet(call)) return fault;
  const bool creation =
      call == platform::FirewallCall::kCreateManager || call == platform::FirewallCall::kCreateApplication;
  if (services && !creation && services->State(service) != platform::SERVICE_RUNNING) {
    return platform::HRESULT_FROM_WIN32(platform::EPT_S_NOT_REGISTERED);
  }
  return platform::S_OK;
}

HRESULT SimFirewall::ReadProfile(platform::FirewallProfileState* profile) {
  if (!profile) return platform::E_POINTER;
  std::lock_guard<std::mutex> lock(mutex_);
  *profile = profile_;
  return platform::S_OK;
}

HRESULT SimFirewall::Authorize(const platform::FirewallApplication& app) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (platform::FirewallApplication& entry : profile_.applications) {
    if (entry.image_path == app.image_path) {
      entry = app;
      return platform::S_OK;
    }
  }
  profile_.applications.push_back(app);
  return platform::S_OK;
}

}  // namespace sim
