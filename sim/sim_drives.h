#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/drives.h"
#include "sim/call_faults.h"

namespace sim {

// The simulated PC's drives: local drives as a test sets them (C: fixed at first), network
// connections in memory, shares that exist as a resolver says, and switches that make the calls
// fail.
class SimDrives final : public platform::Drives {
 public:
  SimDrives();

  // A local drive on the letter; `root` is the host folder of its files (empty: no medium).
  void SetLocalDrive(char letter, platform::UINT type, std::string root = {});
  void RemoveLocalDrive(char letter);
  // The folder GetTempPathA reports; until one is set, the host's private temporary folder.
  void SetTempFolder(std::string folder);
  // 0 when the share exists, else the error a connection meets; without one every share exists.
  void SetShareResolver(std::function<platform::DWORD(const std::string& remote_name)> resolver);
  // The call fails with `error` from its (succeed + 1)-th time on; error 0 lets it succeed again.
  void Fail(platform::DriveCall call, platform::DWORD error, unsigned succeed = 0) {
    faults_.Fail(call, error, succeed);
  }
  // The connections as they stand, and a restart of the PC.
  platform::ConnectionTable Connections();
  void Restart();

  std::vector<platform::LocalDrive> LocalDrives() override;
  platform::DWORD WithConnections(const std::function<platform::DWORD(platform::ConnectionTable&)>& use) override;
  platform::DWORD ReachShare(const std::string& remote_name) override;
  std::optional<std::string> ShareFolder(const std::string& remote_name) override;
  std::string TempFolder() override;
  platform::DWORD Admit(platform::DriveCall call) override;

 private:
  std::mutex mutex_;
  std::map<char, platform::LocalDrive> local_;
  platform::ConnectionTable connections_;
  std::string temp_folder_;
  std::function<platform::DWORD(const std::string&)> resolver_;
  CallFaults<platform::DriveCall, platform::DWORD> faults_;
};

}  // namespace sim
