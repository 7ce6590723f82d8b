#pragma once

#include "platform/drives.h"

// WNetAddConnection2A of a share to a local name ("Z:", "" or null for none, or anything a test
// tries), with no user name or password.
inline platform::DWORD AddConnection(const char* local, const char* remote, platform::DWORD flags = 0,
                                     platform::DWORD type = platform::RESOURCETYPE_DISK) {
  platform::NETRESOURCEA resource;
  resource.dwType = type;
  resource.lpLocalName = const_cast<char*>(local);
  resource.lpRemoteName = const_cast<char*>(remote);
  return platform::WNetAddConnection2A(&resource, "", "", flags);
}
