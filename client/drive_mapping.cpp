#include "client/drive_mapping.h"

#include <cctype>
#include <string>

#include "platform/drives.h"
#include "platform/log_debug.h"

using platform::AnsiString;
using platform::DWORD;

namespace {

constexpr DWORD kEnumBufferBytes = 1600;

// The framework's Trim: no characters up to the blank at either end.
std::string Trimmed(const std::string& text) {
  size_t first = 0, last = text.size();
  while (first < last && static_cast<unsigned char>(text[first]) <= ' ') ++first;
  while (last > first && static_cast<unsigned char>(text[last - 1]) <= ' ') --last;
  return text.substr(first, last - first);
}

// "X:" for the letter raised to upper case.
std::string LocalName(char letter) {
  return std::string{static_cast<char>(std::toupper(static_cast<unsigned char>(letter))), ':'};
}

void TakeRemoteNames(const platform::NETRESOURCEA* resources, DWORD count, DriveTableEntries& DriveTable) {
  for (DWORD i = 0; i < count; ++i) {
    const std::string local = Trimmed(resources[i].lpLocalName ? resources[i].lpLocalName : "");
    if (local.empty()) continue;
    for (DriveTableEntry& entry : DriveTable) {
      if (!entry.letter.empty() && local.find(entry.letter.bytes()) != std::string::npos) {
        entry.remoteName = AnsiString(resources[i].lpRemoteName ? resources[i].lpRemoteName : "");
        break;
      }
    }
  }
}

}  // namespace

uint32_t GetDriveTypeByLetter(char letter) {
  const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(letter)));
  const std::string root = lower >= 'a' && lower <= 'z' ? std::string{lower, ':', '\\'} : std::string();
  return platform::GetDriveTypeA(root.c_str());
}

void EnumConnectedNetworkDrives(DriveTableEntries& DriveTable) {
  platform::HANDLE enumeration = nullptr;
  if (platform::WNetOpenEnumA(platform::RESOURCE_CONNECTED, platform::RESOURCETYPE_DISK, 0, nullptr, &enumeration) !=
      platform::ERROR_SUCCESS) {
    return;
  }
  // Whole NETRESOURCEA records are laid out in it, so it is kept aligned for them.
  DWORD size = kEnumBufferBytes;
  std::vector<platform::NETRESOURCEA> buffer(size / sizeof(platform::NETRESOURCEA) + 1);
  for (;;) {
    DWORD count = platform::kEnumAll;
    const DWORD offered = size;
    const DWORD result = platform::WNetEnumResourceA(enumeration, &count, buffer.data(), &size);
    if (result == platform::ERROR_MORE_DATA) {
      // A size that would not grow the buffer cannot help: asking again would never end.
      if (size <= offered) break;
      buffer.assign(size / sizeof(platform::NETRESOURCEA) + 1, {});
      continue;
    }
    if (result != platform::ERROR_SUCCESS) break;
    TakeRemoteNames(buffer.data(), count, DriveTable);
  }
  platform::WNetCloseEnum(enumeration);
}

uint32_t MapNetworkDrive(const AnsiString& remote, char letter, bool persistent) {
  std::string local = LocalName(letter);
  std::string remote_name = remote.bytes();
  platform::NETRESOURCEA resource;
  resource.dwScope = platform::RESOURCE_GLOBALNET;
  resource.dwType = platform::RESOURCETYPE_DISK;
  resource.dwDisplayType = platform::RESOURCEDISPLAYTYPE_GENERIC;
  resource.dwUsage = platform::RESOURCEUSAGE_CONNECTABLE;
  resource.lpLocalName = local.data();
  resource.lpRemoteName = remote_name.data();
  LogDebug(remote_name);
  return platform::WNetAddConnection2A(&resource, "", "", persistent ? platform::CONNECT_UPDATE_PROFILE : 0);
}

uint32_t UnmapNetworkDrive(char letter, bool updateProfile) {
  return platform::WNetCancelConnection2A(LocalName(letter).c_str(),
                                          updateProfile ? platform::CONNECT_UPDATE_PROFILE : 0, 1);
}

std::vector<AnsiString> RebuildDriveTable(DriveTableEntries& DriveTable) {
  DriveTable.fill({});
  size_t n = 0;
  for (char letter = 'Z'; letter >= 'E'; --letter) {
    const uint32_t type = GetDriveTypeByLetter(letter);
    if (type == platform::DRIVE_UNKNOWN || type == platform::DRIVE_NO_ROOT_DIR || type == platform::DRIVE_REMOTE) {
      DriveTable[n++].letter = AnsiString(std::string(1, letter));
    }
  }
  EnumConnectedNetworkDrives(DriveTable);
  std::vector<AnsiString> items;
  for (const DriveTableEntry& entry : DriveTable) {
    if (!Trimmed(entry.letter.bytes()).empty()) items.push_back(entry.letter + AnsiString(":  ") + entry.remoteName);
  }
  return items;
}
