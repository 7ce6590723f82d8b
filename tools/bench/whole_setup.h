#pragma once

#include <string>

// One whole set-up of a factory-fresh box on the simulated LAN and the virtual clock, from the
// device list to the last page, driven as a user drives it: how long it took on the wall clock
// and on the program's (virtual) clock.
struct SetupTimes {
  double wall_ms = 0;
  double virtual_ms = 0;
  bool reached_last_page = false;
};
SetupTimes RunWholeSetup(const std::string& temp_folder);
