#include "platform/os_version.h"

#include <cstring>

#include "platform/last_error.h"

namespace platform {
namespace {

constinit ServiceSlot<OsVersion> g_version(&HostOsVersion);

class HostOsVersionImpl final : public OsVersion {
 public:
  WindowsVersion Version() override { return {}; }
};

}  // namespace

OsVersion& CurrentOsVersion() { return g_version.Current(); }
void InstallOsVersion(OsVersion* version) { g_version.Install(version); }

OsVersion& HostOsVersion() {
  static HostOsVersionImpl version;
  return version;
}

BOOL GetVersionExA(OSVERSIONINFOA* lpVersionInformation) {
  if (!lpVersionInformation) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const DWORD size = lpVersionInformation->dwOSVersionInfoSize;
  if (size != sizeof(OSVERSIONINFOA) && size != sizeof(OSVERSIONINFOEXA)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  const WindowsVersion v = CurrentOsVersion().Version();
  lpVersionInformation->dwMajorVersion = v.major;
  lpVersionInformation->dwMinorVersion = v.minor;
  lpVersionInformation->dwBuildNumber = v.build;
  lpVersionInformation->dwPlatformId = VER_PLATFORM_WIN32_NT;
  std::memset(lpVersionInformation->szCSDVersion, 0, sizeof lpVersionInformation->szCSDVersion);
  std::strncpy(lpVersionInformation->szCSDVersion, v.service_pack.c_str(),
               sizeof lpVersionInformation->szCSDVersion - 1);
  if (size == sizeof(OSVERSIONINFOEXA)) {
    auto* ex = static_cast<OSVERSIONINFOEXA*>(lpVersionInformation);
    ex->wServicePackMajor = v.service_pack_major;
    ex->wServicePackMinor = v.service_pack_minor;
    ex->wSuiteMask = 0;
    ex->wProductType = VER_NT_WORKSTATION;
    ex->wReserved = 0;
  }
  return 1;
}

}  // namespace platform
