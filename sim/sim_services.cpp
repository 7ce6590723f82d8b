#include "sim/sim_services.h"

#include <algorithm>

#include "platform/host_services.h"

namespace sim {

using platform::DWORD;

SimServiceManager::SimServiceManager() : services_(platform::DefaultServices()) {}

void SimServiceManager::SetState(const std::string& name, DWORD state) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (platform::ServiceRecord& s : services_) {
    if (s.name == name) {
      s.state = state;
      return;
    }
  }
  services_.push_back({name, state});
}

DWORD SimServiceManager::State(const std::string& name) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (const platform::ServiceRecord& s : services_) {
    if (s.name == name) return s.state;
  }
  return 0;
}

void SimServiceManager::Remove(const std::string& name) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::erase_if(services_, [&](const platform::ServiceRecord& s) { return s.name == name; });
}

std::vector<platform::ServiceCall> SimServiceManager::Calls() {
  std::lock_guard<std::mutex> lock(mutex_);
  return calls_;
}

DWORD SimServiceManager::WithServices(const std::function<DWORD(std::vector<platform::ServiceRecord>&)>& use) {
  std::lock_guard<std::mutex> lock(mutex_);
  return use(services_);
}

DWORD SimServiceManager::Admit(platform::ServiceCall call) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.push_back(call);
  }
  return faults_.Meet(call);
}

}  // namespace sim
