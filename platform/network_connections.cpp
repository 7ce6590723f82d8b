#include "platform/network_connections.h"

#include <algorithm>
#include <cctype>

#include "platform/unicode.h"

namespace platform {
namespace {

template <class Entries, class Match>
auto FindIn(Entries& entries, Match match) {
  return std::find_if(entries.begin(), entries.end(), match);
}

}  // namespace

std::string DriveName(char letter) {
  const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
  if (upper < 'A' || upper > 'Z') return {};
  return std::string{upper, ':'};
}

char DriveLetterOf(const std::string& name) {
  if (name.size() != 2 || name[1] != ':') return 0;
  return DriveName(name[0]).empty() ? 0 : static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
}

bool IsUncName(const std::string& name) {
  if (name.size() < 5 || name[0] != '\\' || name[1] != '\\' || HasControlCharacter(name)) return false;
  const size_t share = name.find('\\', 2);
  if (share == std::string::npos || share == 2) return false;
  return share + 1 < name.size() && name[share + 1] != '\\';
}

bool SameRemoteName(const std::string& a, const std::string& b) { return NamesEqual(Utf8ToUtf16(a), Utf8ToUtf16(b)); }

const NetworkConnection* ConnectionTable::ConnectedOn(char letter) const {
  const std::string name = DriveName(letter);
  if (name.empty()) return nullptr;
  auto it = FindIn(session_, [&](const NetworkConnection& c) { return c.local_name == name; });
  return it == session_.end() ? nullptr : &*it;
}

const NetworkConnection* ConnectionTable::ConnectedTo(const std::string& remote_name) const {
  auto it = FindIn(session_, [&](const NetworkConnection& c) { return SameRemoteName(c.remote_name, remote_name); });
  return it == session_.end() ? nullptr : &*it;
}

DWORD ConnectionTable::Add(const std::string& local_name, const std::string& remote_name, bool persistent) {
  if (local_name.empty()) {
    // A deviceless connection is never remembered; using a share twice keeps one connection.
    auto same = FindIn(session_, [&](const NetworkConnection& c) {
      return c.local_name.empty() && SameRemoteName(c.remote_name, remote_name);
    });
    if (same == session_.end()) session_.push_back({"", remote_name});
    return ERROR_SUCCESS;
  }
  if (FindIn(session_, [&](const NetworkConnection& c) { return c.local_name == local_name; }) != session_.end()) {
    return ERROR_ALREADY_ASSIGNED;
  }
  auto remembered = FindIn(profile_, [&](const NetworkConnection& c) { return c.local_name == local_name; });
  if (persistent && remembered != profile_.end() && !SameRemoteName(remembered->remote_name, remote_name)) {
    return ERROR_DEVICE_ALREADY_REMEMBERED;
  }
  session_.push_back({local_name, remote_name});
  if (persistent) {
    if (remembered != profile_.end()) {
      remembered->remote_name = remote_name;
    } else {
      profile_.push_back({local_name, remote_name});
    }
  }
  return ERROR_SUCCESS;
}

DWORD ConnectionTable::Cancel(const std::string& name, bool update_profile) {
  const char letter = DriveLetterOf(name);
  if (letter == 0) {
    auto it = FindIn(session_, [&](const NetworkConnection& c) {
      return c.local_name.empty() && SameRemoteName(c.remote_name, name);
    });
    if (it == session_.end()) return ERROR_NOT_CONNECTED;
    session_.erase(it);
    return ERROR_SUCCESS;
  }
  const std::string local = DriveName(letter);
  auto is_local = [&](const NetworkConnection& c) { return c.local_name == local; };
  auto connected = FindIn(session_, is_local);
  auto remembered = FindIn(profile_, is_local);
  if (connected == session_.end() && (!update_profile || remembered == profile_.end())) return ERROR_NOT_CONNECTED;
  if (connected != session_.end()) session_.erase(connected);
  if (update_profile && remembered != profile_.end()) profile_.erase(remembered);
  return ERROR_SUCCESS;
}

}  // namespace platform
