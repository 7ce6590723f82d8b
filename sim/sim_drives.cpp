#include "sim/sim_drives.h"

#include "platform/temp_folder.h"

namespace sim {

using platform::DWORD;

SimDrives::SimDrives() { local_['C'] = {'C', platform::DRIVE_FIXED, ""}; }

void SimDrives::SetLocalDrive(char letter, platform::UINT type, std::string root) {
  std::lock_guard<std::mutex> lock(mutex_);
  local_[letter] = {letter, type, std::move(root)};
}

void SimDrives::RemoveLocalDrive(char letter) {
  std::lock_guard<std::mutex> lock(mutex_);
  local_.erase(letter);
}

void SimDrives::SetTempFolder(std::string folder) {
  std::lock_guard<std::mutex> lock(mutex_);
  temp_folder_ = folder.empty() || folder.back() == '/' ? folder : folder + "/";
}

void SimDrives::SetShareResolver(std::function<DWORD(const std::string&)> resolver) {
  std::lock_guard<std::mutex> lock(mutex_);
  resolver_ = std::move(resolver);
}

platform::ConnectionTable SimDrives::Connections() {
  std::lock_guard<std::mutex> lock(mutex_);
  return connections_;
}

void SimDrives::Restart() {
  std::lock_guard<std::mutex> lock(mutex_);
  connections_.Restart();
}

std::vector<platform::LocalDrive> SimDrives::LocalDrives() {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<platform::LocalDrive> drives;
  for (const auto& [letter, drive] : local_) drives.push_back(drive);
  return drives;
}

DWORD SimDrives::WithConnections(const std::function<DWORD(platform::ConnectionTable&)>& use) {
  std::lock_guard<std::mutex> lock(mutex_);
  return use(connections_);
}

DWORD SimDrives::ReachShare(const std::string& remote_name) {
  std::function<DWORD(const std::string&)> resolver;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    resolver = resolver_;
  }
  return resolver ? resolver(remote_name) : platform::ERROR_SUCCESS;
}

std::optional<std::string> SimDrives::ShareFolder(const std::string&) { return std::nullopt; }

std::string SimDrives::TempFolder() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!temp_folder_.empty()) return temp_folder_;
  }
  // Made only when asked: a world whose test gives its own folder leaves nothing in the host's.
  return platform::HostTempFolder();
}

DWORD SimDrives::Admit(platform::DriveCall call) { return faults_.Meet(call); }

}  // namespace sim
