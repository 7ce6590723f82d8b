#pragma once

#include <array>
#include <cstdint>

#include "link/disk_command.h"
#include "link/records.h"
#include "link/wire.h"

// The chosen box: its settings as the box last returned them, the login, the probe's flags,
// its disks and its MAC text. Zeroed whole when a box is chosen.
struct SelectedNasRecordType {
  NasSettingsRecord settings;
  std::array<char, 32> userName{};
  NasPassword adminPassword{};
  uint8_t isNotDefault = 0;
  uint8_t isDHCP = 0;
  NasDiskLayout diskLayout{0, 0, 0, 0, 0};
  std::array<char, 20> DeviceIdentifierString{};

  void Clear() { *this = SelectedNasRecordType{}; }
};
