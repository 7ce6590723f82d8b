#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/service_manager.h"
#include "sim/call_faults.h"

namespace sim {

// The simulated PC's service manager: the default services ("MpsSvc" running, "SharedAccess"
// stopped), states a test sets, faults, and a log of the calls that reached it.
class SimServiceManager final : public platform::ServiceManager {
 public:
  SimServiceManager();

  // Sets the state of a service, installing it when it is missing.
  void SetState(const std::string& name, platform::DWORD state);
  // 0 when the service is not installed.
  platform::DWORD State(const std::string& name);
  void Remove(const std::string& name);
  void Fail(platform::ServiceCall call, platform::DWORD error, unsigned succeed = 0) {
    faults_.Fail(call, error, succeed);
  }
  // Every call made on the manager, in order.
  std::vector<platform::ServiceCall> Calls();

  platform::DWORD WithServices(
      const std::function<platform::DWORD(std::vector<platform::ServiceRecord>&)>& use) override;
  platform::DWORD Admit(platform::ServiceCall call) override;

 private:
  std::mutex mutex_;
  std::vector<platform::ServiceRecord> services_;
  std::vector<platform::ServiceCall> calls_;
  CallFaults<platform::ServiceCall, platform::DWORD> faults_;
};

}  // namespace sim
