#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/registry_tree.h"
#include "platform/win_types.h"

namespace platform {

// The PC's current time zone as GetTimeZoneInformation gives it (the names are UTF-16).
struct TIME_ZONE_INFORMATION {
  LONG Bias = 0;
  char16_t StandardName[32] = {};
  LONG StandardBias = 0;
  char16_t DaylightName[32] = {};
  LONG DaylightBias = 0;
};
constexpr DWORD TIME_ZONE_ID_UNKNOWN = 0;
constexpr DWORD TIME_ZONE_ID_STANDARD = 1;
constexpr DWORD TIME_ZONE_ID_DAYLIGHT = 2;
constexpr DWORD TIME_ZONE_ID_INVALID = 0xFFFFFFFF;

// One of the PC's Windows time zones: its key name below "...\Time Zones", its "Display" text,
// its "Std" and "Dlt" names, and its standard offset from UTC in minutes (east positive).
struct WindowsTimeZone {
  std::string key;
  std::string display;
  std::string std_name;
  std::string dlt_name;
  int offset_minutes = 0;
};

// The time-zone service: the zones the PC knows and the one it is in.
class TimeZoneService {
 public:
  virtual ~TimeZoneService() = default;
  virtual std::vector<WindowsTimeZone> Zones() = 0;
  // The key name of the PC's current zone (empty when it has none), and whether daylight
  // saving time is in force, kept or not kept by the zone.
  virtual std::string CurrentZoneKey() = 0;
  virtual DWORD CurrentZoneState() = 0;
};

TimeZoneService& CurrentTimeZoneService();
void InstallTimeZoneService(TimeZoneService* service);

// The host's zones, from ICU's mapping of the IANA zones to the Windows zone names: one zone per
// Windows name, displayed as "(UTC+01:00) " and the places of its IANA zones.
TimeZoneService& HostTimeZoneService();

DWORD GetTimeZoneInformation(TIME_ZONE_INFORMATION* info);

// The path below HKEY_LOCAL_MACHINE that holds the time-zone keys.
constexpr const char* kTimeZonesKeyPath = R"(SOFTWARE\Microsoft\Windows NT\CurrentVersion\Time Zones)";
// Lays the zones down as the registry holds them: one key per zone with "Display", "Std" and
// "Dlt".
void AddTimeZoneKeys(RegistryTree& tree, const std::vector<WindowsTimeZone>& zones);

}  // namespace platform
