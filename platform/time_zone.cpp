#include "platform/time_zone.h"

#include <unicode/calendar.h>
#include <unicode/locid.h>
#include <unicode/strenum.h>
#include <unicode/timezone.h>
#include <unicode/tznames.h>
#include <unicode/unistr.h>
#include <unicode/ures.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>

#include "platform/service.h"
#include "platform/unicode.h"

namespace platform {
namespace {

std::string ToUtf8(const icu::UnicodeString& s) {
  std::string out;
  s.toUTF8String(out);
  return out;
}

std::string OffsetText(int minutes) {
  char text[32];
  const int a = std::abs(minutes) % (100 * 60);
  std::snprintf(text, sizeof text, "(UTC%c%02d:%02d)", minutes < 0 ? '-' : '+', a / 60, a % 60);
  return minutes == 0 ? std::string("(UTC)") : std::string(text);
}

// CLDR's table of the Windows zones (ICU's "windowsZones"): the Windows name of each IANA
// zone, the first one listed where a zone were listed twice, as TimeZone::getWindowsID gives it,
// and the zone of the territory "001" of each Windows name. Read in one pass: asking ICU zone
// by zone walks the whole table each time.
struct WindowsMapping {
  std::map<std::string, std::string> windows_of;
  std::map<std::string, std::string> golden;
};

WindowsMapping ReadWindowsMapping() {
  WindowsMapping mapping;
  UErrorCode status = U_ZERO_ERROR;
  UResourceBundle* table = ures_openDirect(nullptr, "windowsZones", &status);
  UResourceBundle* map = ures_getByKey(table, "mapTimezones", nullptr, &status);
  UResourceBundle* zone = nullptr;
  while (U_SUCCESS(status) && ures_hasNext(map)) {
    zone = ures_getNextResource(map, zone, &status);
    if (U_FAILURE(status)) break;
    const std::string windows = ures_getKey(zone);
    while (ures_hasNext(zone)) {
      const char* territory = nullptr;
      int32_t length = 0;
      UErrorCode s = U_ZERO_ERROR;
      const UChar* list = ures_getNextString(zone, &length, &territory, &s);
      if (U_FAILURE(s)) continue;
      const std::string ids = ToUtf8(icu::UnicodeString(list, length));
      for (size_t start = 0; start < ids.size();) {
        const size_t end = std::min(ids.find(' ', start), ids.size());
        if (end > start) {
          const std::string id = ids.substr(start, end - start);
          mapping.windows_of.emplace(id, windows);
          if (territory && std::string_view(territory) == "001") mapping.golden.emplace(windows, id);
        }
        start = end + 1;
      }
    }
  }
  ures_close(zone);
  ures_close(map);
  ures_close(table);
  return mapping;
}

class IcuTimeZones final : public TimeZoneService {
 public:
  // The host's zones do not change while the program runs: they are worked out once (ICU's
  // mapping to the Windows names takes a while), by whichever thread asks first.
  std::vector<WindowsTimeZone> Zones() override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!zones_) zones_ = Compute();
    return *zones_;
  }

  std::string CurrentZoneKey() override {
    std::unique_ptr<icu::TimeZone> zone(icu::TimeZone::createDefault());
    icu::UnicodeString id, windows;
    zone->getID(id);
    UErrorCode status = U_ZERO_ERROR;
    icu::TimeZone::getWindowsID(id, windows, status);
    return U_SUCCESS(status) ? ToUtf8(windows) : std::string();
  }

  DWORD CurrentZoneState() override {
    std::unique_ptr<icu::TimeZone> zone(icu::TimeZone::createDefault());
    if (!zone->useDaylightTime()) return TIME_ZONE_ID_UNKNOWN;
    UErrorCode status = U_ZERO_ERROR;
    const bool daylight = zone->inDaylightTime(icu::Calendar::getNow(), status);
    if (U_FAILURE(status)) return TIME_ZONE_ID_INVALID;
    return daylight ? TIME_ZONE_ID_DAYLIGHT : TIME_ZONE_ID_STANDARD;
  }

 private:
  static std::vector<WindowsTimeZone> Compute() {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::StringEnumeration> ids(
        icu::TimeZone::createTimeZoneIDEnumeration(UCAL_ZONE_TYPE_CANONICAL, nullptr, nullptr, status));
    std::unique_ptr<icu::TimeZoneNames> names(icu::TimeZoneNames::createInstance(icu::Locale::getEnglish(), status));
    if (U_FAILURE(status) || !ids) return {};
    const WindowsMapping mapping = ReadWindowsMapping();
    // The places of each Windows zone, the zone's own main place first.
    std::map<std::string, std::vector<std::string>> places;
    std::map<std::string, std::string> main_place;
    while (const icu::UnicodeString* id = ids->snext(status)) {
      if (U_FAILURE(status)) break;
      const auto windows = mapping.windows_of.find(ToUtf8(*id));
      if (windows == mapping.windows_of.end()) continue;
      icu::UnicodeString place;
      names->getExemplarLocationName(*id, place);
      const std::string& key = windows->second;
      std::vector<std::string>& list = places[key];
      if (!place.isEmpty()) list.push_back(ToUtf8(place));
      if (const auto golden = mapping.golden.find(key);
          golden != mapping.golden.end() && golden->second == ToUtf8(*id)) {
        main_place[key] = ToUtf8(place);
      }
    }
    std::vector<WindowsTimeZone> zones;
    for (auto& [key, list] : places) {
      UErrorCode s = U_ZERO_ERROR;
      icu::UnicodeString golden;
      icu::TimeZone::getIDForWindowsID(icu::UnicodeString::fromUTF8(key), "001", golden, s);
      std::unique_ptr<icu::TimeZone> zone(icu::TimeZone::createTimeZone(golden));
      const int offset = zone->getRawOffset() / 60000;
      std::sort(list.begin(), list.end());
      if (auto it = main_place.find(key); it != main_place.end() && !it->second.empty()) {
        list.erase(std::remove(list.begin(), list.end(), it->second), list.end());
        list.insert(list.begin(), it->second);
      }
      std::string display = OffsetText(offset) + " ";
      for (size_t i = 0; i < list.size() && i < 4; ++i) display += (i ? ", " : "") + list[i];
      if (list.empty()) display += key;  // zones without a place, such as UTC
      zones.push_back({key, display, key, key.substr(0, key.rfind(" Standard Time")) + " Daylight Time", offset});
    }
    std::stable_sort(zones.begin(), zones.end(), [](const WindowsTimeZone& a, const WindowsTimeZone& b) {
      return a.offset_minutes < b.offset_minutes;
    });
    return zones;
  }

  std::mutex mutex_;
  std::optional<std::vector<WindowsTimeZone>> zones_;
};

ServiceSlot<TimeZoneService> g_slot(HostTimeZoneService);

void CopyName(char16_t (&out)[32], const std::string& utf8) {
  const std::u16string wide = Utf8ToUtf16(utf8);
  const size_t n = std::min<size_t>(wide.size(), 31);
  std::copy_n(wide.begin(), n, out);
  out[n] = 0;
}

}  // namespace

TimeZoneService& HostTimeZoneService() {
  static IcuTimeZones service;
  return service;
}

TimeZoneService& CurrentTimeZoneService() { return g_slot.Current(); }

void InstallTimeZoneService(TimeZoneService* service) { g_slot.Install(service); }

DWORD GetTimeZoneInformation(TIME_ZONE_INFORMATION* info) {
  TimeZoneService& service = CurrentTimeZoneService();
  *info = TIME_ZONE_INFORMATION{};
  const std::string key = service.CurrentZoneKey();
  if (key.empty()) return TIME_ZONE_ID_INVALID;
  for (const WindowsTimeZone& zone : service.Zones()) {
    if (zone.key != key) continue;
    info->Bias = -zone.offset_minutes;
    CopyName(info->StandardName, zone.std_name);
    CopyName(info->DaylightName, zone.dlt_name);
    info->DaylightBias = -60;
    return service.CurrentZoneState();
  }
  return TIME_ZONE_ID_INVALID;
}

void AddTimeZoneKeys(RegistryTree& tree, const std::vector<WindowsTimeZone>& zones) {
  RegistryKey& root = tree.CreateKey(HKEY_LOCAL_MACHINE, kTimeZonesKeyPath);
  for (const WindowsTimeZone& zone : zones) {
    RegistryKey& key = root.SubKey(zone.key);
    key.SetString("Display", zone.display);
    key.SetString("Std", zone.std_name);
    key.SetString("Dlt", zone.dlt_name);
  }
}

}  // namespace platform
