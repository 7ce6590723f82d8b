#pragma once

#include <string>
#include <vector>

#include "platform/win_types.h"

namespace platform {

// One network connection: a share on a drive letter ("Z:", upper case) or deviceless (empty
// local name). Texts are UTF-8.
struct NetworkConnection {
  std::string local_name;
  std::string remote_name;
  friend bool operator==(const NetworkConnection&, const NetworkConnection&) = default;
};

// The PC's network connections as the system keeps them: the connections of the running session,
// and the connections remembered in the user's profile, which every restart connects again. Each
// backend of the drives service keeps one of these; the rules are the same for all.
class ConnectionTable {
 public:
  ConnectionTable() = default;
  ConnectionTable(std::vector<NetworkConnection> session, std::vector<NetworkConnection> profile)
      : session_(std::move(session)), profile_(std::move(profile)) {}

  const std::vector<NetworkConnection>& session() const { return session_; }
  const std::vector<NetworkConnection>& profile() const { return profile_; }
  // The connection on a drive letter ('A'..'Z', either case), or nullptr.
  const NetworkConnection* ConnectedOn(char letter) const;
  // A connected share by its remote name (any letter or none), or nullptr.
  const NetworkConnection* ConnectedTo(const std::string& remote_name) const;

  // Connects; `persistent` also remembers a connection on a letter in the profile. A letter that
  // is connected already gives ERROR_ALREADY_ASSIGNED; remembering a letter that the profile
  // holds for another share gives ERROR_DEVICE_ALREADY_REMEMBERED.
  DWORD Add(const std::string& local_name, const std::string& remote_name, bool persistent);
  // Disconnects a letter ("Z:") or a deviceless share (its remote name); `update_profile` also
  // forgets the letter's remembered connection, even one that is not connected now.
  // ERROR_NOT_CONNECTED when there is nothing to cancel.
  DWORD Cancel(const std::string& name, bool update_profile);
  // A restart of the PC: the session's connections end, the remembered ones are made again.
  void Restart() { session_ = profile_; }

  friend bool operator==(const ConnectionTable&, const ConnectionTable&) = default;

 private:
  std::vector<NetworkConnection> session_;
  std::vector<NetworkConnection> profile_;
};

// "X:" for a letter of either case; empty for anything else.
std::string DriveName(char letter);
// The letter of a drive name ("x:" or "X:"), upper case; 0 when the text is not one.
char DriveLetterOf(const std::string& name);
// "\\server\share" with an optional path below the share, without control characters: the
// form of a remote name.
bool IsUncName(const std::string& name);
// Remote names compare without regard to letter case, as the network does.
bool SameRemoteName(const std::string& a, const std::string& b);

}  // namespace platform
