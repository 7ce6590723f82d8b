#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "platform/processes.h"

namespace sim {

// The simulated desktop: it records what it was asked to open, with the time.
class SimShell final : public platform::Shell {
 public:
  struct Opened {
    uint64_t time_ms = 0;
    std::string target;
  };
  std::vector<Opened> OpenedTargets();
  // Without a program for anything, every Open fails with SE_ERR_NOASSOC.
  void SetNoProgram(bool none);

  platform::DWORD Open(const std::string& target) override;

 private:
  std::mutex mutex_;
  std::vector<Opened> opened_;
  bool no_program_ = false;
};

}  // namespace sim
