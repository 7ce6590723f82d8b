#include "sim/sim_shell.h"

#include "platform/clock.h"

namespace sim {

std::vector<SimShell::Opened> SimShell::OpenedTargets() {
  std::lock_guard<std::mutex> lock(mutex_);
  return opened_;
}

void SimShell::SetNoProgram(bool none) {
  std::lock_guard<std::mutex> lock(mutex_);
  no_program_ = none;
}

platform::DWORD SimShell::Open(const std::string& target) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (no_program_) return platform::SE_ERR_NOASSOC;
  opened_.push_back({platform::CurrentClock().NowMs(), target});
  return platform::ERROR_SUCCESS;
}

}  // namespace sim
