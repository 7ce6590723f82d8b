#pragma once

#include <mutex>

#include "platform/os_version.h"

namespace sim {

// The Windows version the simulated PC reports (Windows 7 SP1 at first, as the host's).
class SimOsVersion final : public platform::OsVersion {
 public:
  void Set(platform::WindowsVersion version) {
    std::lock_guard<std::mutex> lock(mutex_);
    version_ = std::move(version);
  }
  platform::WindowsVersion Version() override {
    std::lock_guard<std::mutex> lock(mutex_);
    return version_;
  }

 private:
  std::mutex mutex_;
  platform::WindowsVersion version_;
};

}  // namespace sim
