#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/time_zone.h"

namespace sim {

// The time zones of the simulated PC: the zones it knows, the key of the one it is in (empty:
// none, and GetTimeZoneInformation fails) and whether daylight saving time is in force. Only the
// main thread reads them, so a test changes them between its steps without a lock.
class SimTimeZones final : public platform::TimeZoneService {
 public:
  SimTimeZones() = default;
  SimTimeZones(std::vector<platform::WindowsTimeZone> known, std::string current_key,
               platform::DWORD current_state = platform::TIME_ZONE_ID_STANDARD)
      : zones(std::move(known)), current(std::move(current_key)), state(current_state) {}

  std::vector<platform::WindowsTimeZone> Zones() override { return zones; }
  std::string CurrentZoneKey() override { return current; }
  platform::DWORD CurrentZoneState() override { return state; }

  std::vector<platform::WindowsTimeZone> zones;
  std::string current;
  platform::DWORD state = platform::TIME_ZONE_ID_STANDARD;
};

}  // namespace sim
