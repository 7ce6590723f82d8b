#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/network_connections.h"
#include "platform/service.h"
#include "platform/win_types.h"

// The PC's drive letters and network connections as the system's 8-bit calls see them: drive
// types, the enumeration of connections with its buffer rules, connecting and disconnecting.
namespace platform {

// Drive types of GetDriveTypeA.
constexpr UINT DRIVE_UNKNOWN = 0;
constexpr UINT DRIVE_NO_ROOT_DIR = 1;
constexpr UINT DRIVE_REMOVABLE = 2;
constexpr UINT DRIVE_FIXED = 3;
constexpr UINT DRIVE_REMOTE = 4;
constexpr UINT DRIVE_CDROM = 5;
constexpr UINT DRIVE_RAMDISK = 6;

// Network resources.
constexpr DWORD RESOURCE_CONNECTED = 1;
constexpr DWORD RESOURCE_GLOBALNET = 2;
constexpr DWORD RESOURCE_REMEMBERED = 3;
constexpr DWORD RESOURCETYPE_ANY = 0;
constexpr DWORD RESOURCETYPE_DISK = 1;
constexpr DWORD RESOURCETYPE_PRINT = 2;
constexpr DWORD RESOURCEDISPLAYTYPE_GENERIC = 0;
constexpr DWORD RESOURCEDISPLAYTYPE_SHARE = 3;
constexpr DWORD RESOURCEUSAGE_CONNECTABLE = 1;
constexpr DWORD CONNECT_UPDATE_PROFILE = 1;
// The count that asks WNetEnumResourceA for as many entries as fit.
constexpr DWORD kEnumAll = 0xFFFFFFFFu;

struct NETRESOURCEA {
  DWORD dwScope = 0;
  DWORD dwType = 0;
  DWORD dwDisplayType = 0;
  DWORD dwUsage = 0;
  char* lpLocalName = nullptr;
  char* lpRemoteName = nullptr;
  char* lpComment = nullptr;
  char* lpProvider = nullptr;
};

using HANDLE = void*;

// The provider that the enumeration names for every connection.
constexpr const char* kNetworkProvider = "Microsoft Windows Network";

// A drive of the PC that is not a network connection.
struct LocalDrive {
  char letter = 0;  // 'A'..'Z'
  UINT type = DRIVE_UNKNOWN;
  std::string root;  // the host folder of its root; empty when it holds no medium
};

// The calls a test may make fail (Admit).
enum class DriveCall { kOpenEnum, kEnumResource, kAddConnection, kCancelConnection };

// A drives backend. The calls below hold the rules that every backend shares (argument checks,
// letter conflicts, handles, buffer layout); a backend tells its drives and keeps the connections.
class Drives {
 public:
  virtual ~Drives() = default;
  virtual std::vector<LocalDrive> LocalDrives() = 0;
  // Runs `use` on the connection table under the backend's lock; what it changes is kept (a
  // state file, memory). Returns what `use` returned, or ERROR_ACCESS_DENIED when it succeeded
  // but its change cannot be kept. A call that changes nothing never fails so.
  virtual DWORD WithConnections(const std::function<DWORD(ConnectionTable&)>& use) = 0;
  // 0 when a connection to the share can be made, else the error it meets (ERROR_BAD_NETPATH,
  // ERROR_BAD_NET_NAME).
  virtual DWORD ReachShare(const std::string& remote_name) = 0;
  // The host folder that holds the files of a share, when the backend has one.
  virtual std::optional<std::string> ShareFolder(const std::string& remote_name) = 0;
  // The folder GetTempPathA reports, ending in "/".
  virtual std::string TempFolder() = 0;
  // 0, or the failure the call meets (faults of the simulated backend).
  virtual DWORD Admit(DriveCall call) {
    (void)call;
    return ERROR_SUCCESS;
  }
};

Drives& CurrentDrives();
void InstallDrives(Drives* drives);
Drives& HostDrives();

// The drive type of a root path "X:\" (either case, "/" allowed); a null path is the root of the
// current drive (C:); anything else has no root directory. A UNC root "\\server\share\" is
// remote when that share is connected.
UINT GetDriveTypeA(const char* lpRootPathName);

// Enumerates the connected (RESOURCE_CONNECTED) or remembered (RESOURCE_REMEMBERED) resources as
// they stand when the enumeration opens; browsing the network (RESOURCE_GLOBALNET) is not
// offered (ERROR_NOT_SUPPORTED).
DWORD WNetOpenEnumA(DWORD dwScope, DWORD dwType, DWORD dwUsage, NETRESOURCEA* lpNetResource, HANDLE* lphEnum);
// Lays out as many entries as fit and as *lpcCount asks for (kEnumAll: as many as fit): the
// NETRESOURCEA records first, their texts after them, *lpcCount set to the number laid out. When
// not even the next entry fits: ERROR_MORE_DATA with *lpBufferSize set to the size it needs. After
// the last entry: ERROR_NO_MORE_ITEMS.
DWORD WNetEnumResourceA(HANDLE hEnum, DWORD* lpcCount, void* lpBuffer, DWORD* lpBufferSize);
DWORD WNetCloseEnum(HANDLE hEnum);
// Connects lpRemoteName ("\\server\share") to lpLocalName ("X:", or none for a deviceless
// connection); CONNECT_UPDATE_PROFILE remembers it across restarts. Password and user name are
// accepted and not kept. A remote name with a control character is ERROR_INVALID_NAME, one of
// another form ERROR_BAD_NET_NAME.
DWORD WNetAddConnection2A(const NETRESOURCEA* lpNetResource, const char* lpPassword, const char* lpUserName,
                          DWORD dwFlags);
// Disconnects a letter ("X:") or a deviceless connection (its remote name). No file is ever open
// on an emulated share, so fForce changes nothing.
DWORD WNetCancelConnection2A(const char* lpName, DWORD dwFlags, BOOL fForce);

}  // namespace platform
