#pragma once

#include <memory>
#include <string>

#include "platform/drives.h"

namespace platform {

// Where the host's drives come from. C: is the host's root folder; every optical drive
// (<devices>/srN, in the order of N) gets the next letter from D: on, with its mount point as
// its root (none while no disc is mounted); the network connections are kept in drives.txt in the
// state folder.
struct HostDriveSources {
  std::string state_folder;  // empty: the user's state folder
  std::string devices = "/dev";
  std::string mounts = "/proc/self/mounts";
  std::string boot_id = "/proc/sys/kernel/random/boot_id";  // a new one means a restart
  std::string temp_folder;                                  // empty: HostTempFolder()
  // The desktop's bookmarks that follow the remembered connections; empty: none.
  std::string bookmarks;
};

constexpr const char* kDrivesFileName = "drives.txt";

std::unique_ptr<Drives> MakeHostDrives(HostDriveSources sources);

}  // namespace platform
