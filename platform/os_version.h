#pragma once

#include <string>

#include "platform/service.h"
#include "platform/win_types.h"

namespace platform {

constexpr DWORD VER_PLATFORM_WIN32_NT = 2;
constexpr BYTE VER_NT_WORKSTATION = 1;

struct OSVERSIONINFOA {
  DWORD dwOSVersionInfoSize = 0;
  DWORD dwMajorVersion = 0;
  DWORD dwMinorVersion = 0;
  DWORD dwBuildNumber = 0;
  DWORD dwPlatformId = 0;
  char szCSDVersion[128] = {};
};
static_assert(sizeof(OSVERSIONINFOA) == 148);

struct OSVERSIONINFOEXA : OSVERSIONINFOA {
  WORD wServicePackMajor = 0;
  WORD wServicePackMinor = 0;
  WORD wSuiteMask = 0;
  BYTE wProductType = 0;
  BYTE wReserved = 0;
};
static_assert(sizeof(OSVERSIONINFOEXA) == 156);

// The version of Windows that the program is told it runs on.
struct WindowsVersion {
  DWORD major = 6;
  DWORD minor = 1;
  DWORD build = 7601;
  std::string service_pack = "Service Pack 1";
  WORD service_pack_major = 1;
  WORD service_pack_minor = 0;
};

class OsVersion {
 public:
  virtual ~OsVersion() = default;
  virtual WindowsVersion Version() = 0;
};

OsVersion& CurrentOsVersion();
void InstallOsVersion(OsVersion* version);
// The host reports Windows 7 with Service Pack 1 (6.1.7601): the newest version whose firewall
// service the program handles, so that the emulated service manager and firewall are used in full.
OsVersion& HostOsVersion();

// Fills the structure whose size field says which one it is (148 or 156 bytes); any other size
// fails with ERROR_INSUFFICIENT_BUFFER.
BOOL GetVersionExA(OSVERSIONINFOA* lpVersionInformation);

}  // namespace platform
