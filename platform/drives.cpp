#include "platform/drives.h"

#include <cstring>
#include <functional>
#include <map>
#include <mutex>
#include <new>

#include "platform/ansi.h"
#include "platform/unicode.h"

namespace platform {
namespace {

constinit ServiceSlot<Drives> g_drives(&HostDrives);

// One open enumeration: the entries as they stood when it opened, in the ANSI code page.
struct Enumeration {
  DWORD scope = 0;
  struct Entry {
    std::string local_name;  // empty: none (a null pointer in the record)
    std::string remote_name;
  };
  std::vector<Entry> entries;
  size_t next = 0;
};

std::mutex g_enum_mutex;
std::map<uintptr_t, Enumeration> g_enumerations;
uintptr_t g_next_enum = 0x4E00;

std::string Utf8Of(const char* ansi) { return ansi ? FromAnsi(AnsiString(ansi)) : std::string{}; }

const LocalDrive* FindLocal(const std::vector<LocalDrive>& drives, char letter) {
  for (const LocalDrive& d : drives) {
    if (d.letter == letter) return &d;
  }
  return nullptr;
}

size_t EntrySize(const Enumeration::Entry& e) {
  size_t size = sizeof(NETRESOURCEA) + e.remote_name.size() + 1 + std::strlen(kNetworkProvider) + 1;
  if (!e.local_name.empty()) size += e.local_name.size() + 1;
  return size;
}

// Lays entries out from the front of the buffer, their texts from its end backwards.
DWORD LayOut(Enumeration& en, DWORD* count, void* buffer, DWORD* size) {
  const size_t wanted = *count == kEnumAll ? SIZE_MAX : *count;
  size_t records = 0, texts = 0, n = 0;
  while (n < wanted && en.next + n < en.entries.size()) {
    const size_t entry = EntrySize(en.entries[en.next + n]);
    if (records + texts + entry > *size) break;
    records += sizeof(NETRESOURCEA);
    texts += entry - sizeof(NETRESOURCEA);
    ++n;
  }
  if (n == 0) {
    *size = static_cast<DWORD>(EntrySize(en.entries[en.next]));
    return ERROR_MORE_DATA;
  }
  auto* bytes = static_cast<char*>(buffer);
  char* text_end = bytes + *size;
  auto put = [&](const std::string& text) {
    text_end -= text.size() + 1;
    std::memcpy(text_end, text.c_str(), text.size() + 1);
    return text_end;
  };
  for (size_t i = 0; i < n; ++i) {
    const Enumeration::Entry& e = en.entries[en.next + i];
    auto* record = new (bytes + i * sizeof(NETRESOURCEA)) NETRESOURCEA;
    record->dwScope = en.scope;
    record->dwType = RESOURCETYPE_DISK;
    record->dwDisplayType = RESOURCEDISPLAYTYPE_SHARE;
    record->dwUsage = RESOURCEUSAGE_CONNECTABLE;
    record->lpLocalName = e.local_name.empty() ? nullptr : put(e.local_name);
    record->lpRemoteName = put(e.remote_name);
    record->lpProvider = put(kNetworkProvider);
  }
  en.next += n;
  *count = static_cast<DWORD>(n);
  return ERROR_SUCCESS;
}

// A network drive while the table holds the connection asked for. The answer is taken from the
// table: what the call returns tells only whether the table could be kept.
UINT NetworkDriveType(Drives& drives, const std::function<bool(const ConnectionTable&)>& connected) {
  bool found = false;
  drives.WithConnections([&](ConnectionTable& t) -> DWORD {
    found = connected(t);
    return ERROR_SUCCESS;
  });
  return found ? DRIVE_REMOTE : DRIVE_NO_ROOT_DIR;
}

}  // namespace

Drives& CurrentDrives() { return g_drives.Current(); }
void InstallDrives(Drives* drives) { g_drives.Install(drives); }

UINT GetDriveTypeA(const char* lpRootPathName) {
  Drives& drives = CurrentDrives();
  if (!lpRootPathName) return DRIVE_FIXED;
  const std::string root = Utf8Of(lpRootPathName);
  if (IsUncName(root) && root.back() == '\\') {
    const std::string share = root.substr(0, root.size() - 1);
    return NetworkDriveType(drives, [&](const ConnectionTable& t) { return t.ConnectedTo(share) != nullptr; });
  }
  if (root.size() != 3 || (root[2] != '\\' && root[2] != '/')) return DRIVE_NO_ROOT_DIR;
  const char letter = DriveLetterOf(root.substr(0, 2));
  if (letter == 0) return DRIVE_NO_ROOT_DIR;
  const std::vector<LocalDrive> local = drives.LocalDrives();
  if (const LocalDrive* drive = FindLocal(local, letter)) return drive->type;
  return NetworkDriveType(drives, [&](const ConnectionTable& t) { return t.ConnectedOn(letter) != nullptr; });
}

DWORD WNetOpenEnumA(DWORD dwScope, DWORD dwType, DWORD, NETRESOURCEA*, HANDLE* lphEnum) {
  if (!lphEnum) return ERROR_INVALID_PARAMETER;
  if (dwScope == RESOURCE_GLOBALNET) return ERROR_NOT_SUPPORTED;
  if (dwScope != RESOURCE_CONNECTED && dwScope != RESOURCE_REMEMBERED) return ERROR_INVALID_PARAMETER;
  if (dwType > RESOURCETYPE_PRINT) return ERROR_INVALID_PARAMETER;
  Drives& drives = CurrentDrives();
  if (const DWORD fault = drives.Admit(DriveCall::kOpenEnum)) return fault;
  Enumeration en;
  en.scope = dwScope;
  // Every connection is a disk: an enumeration of printers is empty.
  if (dwType != RESOURCETYPE_PRINT) {
    drives.WithConnections([&](ConnectionTable& t) -> DWORD {
      for (const NetworkConnection& c : dwScope == RESOURCE_CONNECTED ? t.session() : t.profile()) {
        en.entries.push_back({ToAnsi(c.local_name).bytes(), ToAnsi(c.remote_name).bytes()});
      }
      return ERROR_SUCCESS;
    });
  }
  std::lock_guard<std::mutex> lock(g_enum_mutex);
  const uintptr_t handle = ++g_next_enum;
  g_enumerations.emplace(handle, std::move(en));
  *lphEnum = reinterpret_cast<HANDLE>(handle);
  return ERROR_SUCCESS;
}

DWORD WNetEnumResourceA(HANDLE hEnum, DWORD* lpcCount, void* lpBuffer, DWORD* lpBufferSize) {
  if (!lpcCount || !lpBufferSize || *lpcCount == 0) return ERROR_INVALID_PARAMETER;
  if (!lpBuffer && *lpBufferSize != 0) return ERROR_INVALID_PARAMETER;
  if (const DWORD fault = CurrentDrives().Admit(DriveCall::kEnumResource)) return fault;
  std::lock_guard<std::mutex> lock(g_enum_mutex);
  auto it = g_enumerations.find(reinterpret_cast<uintptr_t>(hEnum));
  if (it == g_enumerations.end()) return ERROR_INVALID_HANDLE;
  Enumeration& en = it->second;
  if (en.next >= en.entries.size()) {
    *lpcCount = 0;
    return ERROR_NO_MORE_ITEMS;
  }
  return LayOut(en, lpcCount, lpBuffer, lpBufferSize);
}

DWORD WNetCloseEnum(HANDLE hEnum) {
  std::lock_guard<std::mutex> lock(g_enum_mutex);
  return g_enumerations.erase(reinterpret_cast<uintptr_t>(hEnum)) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

DWORD WNetAddConnection2A(const NETRESOURCEA* lpNetResource, const char*, const char*, DWORD dwFlags) {
  if (!lpNetResource) return ERROR_INVALID_PARAMETER;
  if (lpNetResource->dwType == RESOURCETYPE_PRINT) return ERROR_BAD_DEV_TYPE;
  if (lpNetResource->dwType != RESOURCETYPE_DISK && lpNetResource->dwType != RESOURCETYPE_ANY) {
    return ERROR_INVALID_PARAMETER;
  }
  const std::string remote = Utf8Of(lpNetResource->lpRemoteName);
  // A line break or tab in a name (a box's host name) makes no valid name of a share, nor does a
  // blank at its end, which Windows drops from a name and drives.txt could not keep.
  if (HasControlCharacter(remote) || remote.ends_with(' ')) return ERROR_INVALID_NAME;
  if (!IsUncName(remote)) return ERROR_BAD_NET_NAME;
  const std::string local_text = Utf8Of(lpNetResource->lpLocalName);
  const char letter = DriveLetterOf(local_text);
  if (!local_text.empty() && letter == 0) return ERROR_BAD_DEVICE;
  Drives& drives = CurrentDrives();
  if (const DWORD fault = drives.Admit(DriveCall::kAddConnection)) return fault;
  if (letter != 0 && FindLocal(drives.LocalDrives(), letter)) return ERROR_ALREADY_ASSIGNED;
  if (const DWORD unreachable = drives.ReachShare(remote)) return unreachable;
  const bool persistent = (dwFlags & CONNECT_UPDATE_PROFILE) != 0;
  return drives.WithConnections([&](ConnectionTable& t) { return t.Add(DriveName(letter), remote, persistent); });
}

DWORD WNetCancelConnection2A(const char* lpName, DWORD dwFlags, BOOL) {
  if (!lpName || !*lpName) return ERROR_INVALID_PARAMETER;
  Drives& drives = CurrentDrives();
  if (const DWORD fault = drives.Admit(DriveCall::kCancelConnection)) return fault;
  const std::string name = Utf8Of(lpName);
  const bool update_profile = (dwFlags & CONNECT_UPDATE_PROFILE) != 0;
  return drives.WithConnections([&](ConnectionTable& t) { return t.Cancel(name, update_profile); });
}

}  // namespace platform
