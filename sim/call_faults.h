#pragma once

#include <map>
#include <mutex>

namespace sim {

// Faults of a simulated backend's calls: a call fails with its error from its (succeed + 1)-th
// time on; an error of 0 lets it succeed again. Calls may come from any thread.
template <class Call, class Code>
class CallFaults {
 public:
  void Fail(Call call, Code error, unsigned succeed = 0) {
    std::lock_guard<std::mutex> lock(mutex_);
    faults_[call] = {error, succeed, 0};
  }
  // The error this call meets, or 0.
  Code Meet(Call call) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = faults_.find(call);
    if (it == faults_.end() || it->second.error == Code{}) return Code{};
    return ++it->second.calls > it->second.succeed ? it->second.error : Code{};
  }

 private:
  struct Fault {
    Code error{};
    unsigned succeed = 0;
    unsigned calls = 0;
  };
  std::mutex mutex_;
  std::map<Call, Fault> faults_;
};

}  // namespace sim
