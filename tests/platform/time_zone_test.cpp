#include "platform/time_zone.h"

#include <gtest/gtest.h>
#include <unicode/locid.h>
#include <unicode/strenum.h>
#include <unicode/timezone.h>
#include <unicode/tznames.h>

#include <map>
#include <memory>
#include <set>

#include "platform/registry.h"
#include "platform/unicode.h"

namespace {

class FixedZones : public platform::TimeZoneService {
 public:
  std::vector<platform::WindowsTimeZone> Zones() override {
    return {{"W. Europe Standard Time", "(UTC+01:00) Berlin, Rome", "W. Europe Standard Time",
             "W. Europe Daylight Time", 60},
            {"UTC", "(UTC) UTC", "UTC", "UTC Daylight Time", 0}};
  }
  std::string CurrentZoneKey() override { return current; }
  platform::DWORD CurrentZoneState() override { return platform::TIME_ZONE_ID_DAYLIGHT; }
  std::string current = "W. Europe Standard Time";
};

TEST(TimeZone, InformationNamesTheCurrentZoneAndItsState) {
  FixedZones zones;
  platform::InstallTimeZoneService(&zones);
  platform::TIME_ZONE_INFORMATION info;
  EXPECT_EQ(platform::GetTimeZoneInformation(&info), platform::TIME_ZONE_ID_DAYLIGHT);
  EXPECT_EQ(platform::Utf16ToUtf8(info.StandardName), "W. Europe Standard Time");
  EXPECT_EQ(info.Bias, -60);
  zones.current = "Mars Standard Time";
  EXPECT_EQ(platform::GetTimeZoneInformation(&info), platform::TIME_ZONE_ID_INVALID);
  platform::InstallTimeZoneService(nullptr);
}

TEST(TimeZone, KeysCarryDisplayStdAndDlt) {
  FixedZones zones;
  platform::RegistryTree tree;
  platform::AddTimeZoneKeys(tree, zones.Zones());
  const platform::RegistryKey* key = tree.FindKey(
      platform::HKEY_LOCAL_MACHINE, std::string(platform::kTimeZonesKeyPath) + "\\W. Europe Standard Time");
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(platform::RegistryValueText(*key->FindValue("Display")), "(UTC+01:00) Berlin, Rome");
  EXPECT_EQ(platform::RegistryValueText(*key->FindValue("Std")), "W. Europe Standard Time");
}

TEST(TimeZone, TheHostKnowsTheWindowsZonesOfIcu) {
  const auto zones = platform::HostTimeZoneService().Zones();
  auto find = [&](const std::string& key) -> const platform::WindowsTimeZone* {
    for (const auto& z : zones) {
      if (z.key == key) return &z;
    }
    return nullptr;
  };
  for (const char* key : {"UTC", "W. Europe Standard Time", "China Standard Time", "Pacific Standard Time (Mexico)",
                          "Dateline Standard Time"}) {
    EXPECT_NE(find(key), nullptr) << key;
  }
  ASSERT_NE(find("China Standard Time"), nullptr);
  EXPECT_EQ(find("China Standard Time")->display.rfind("(UTC+08:00) ", 0), 0u);
  EXPECT_EQ(find("China Standard Time")->offset_minutes, 480);
}

// The host's zones, read from ICU's table in one pass, are the ones ICU's own calls give zone by
// zone: each Windows name of a canonical zone, its offset, and its main place first.
TEST(TimeZone, TheHostsZonesAreWhatIcuGivesZoneByZone) {
  std::map<std::string, std::set<std::string>> places;
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::StringEnumeration> ids(
      icu::TimeZone::createTimeZoneIDEnumeration(UCAL_ZONE_TYPE_CANONICAL, nullptr, nullptr, status));
  std::unique_ptr<icu::TimeZoneNames> names(icu::TimeZoneNames::createInstance(icu::Locale::getEnglish(), status));
  ASSERT_TRUE(U_SUCCESS(status));
  while (const icu::UnicodeString* id = ids->snext(status)) {
    icu::UnicodeString windows, place;
    UErrorCode s = U_ZERO_ERROR;
    icu::TimeZone::getWindowsID(*id, windows, s);
    if (U_FAILURE(s) || windows.isEmpty()) continue;
    std::string key, text;
    windows.toUTF8String(key);
    names->getExemplarLocationName(*id, place).toUTF8String(text);
    places[key].insert(text);
  }
  const std::vector<platform::WindowsTimeZone> zones = platform::HostTimeZoneService().Zones();
  std::set<std::string> keys;
  for (const platform::WindowsTimeZone& zone : zones) {
    keys.insert(zone.key);
    UErrorCode s = U_ZERO_ERROR;
    icu::UnicodeString golden;
    icu::TimeZone::getIDForWindowsID(icu::UnicodeString::fromUTF8(zone.key), "001", golden, s);
    ASSERT_TRUE(U_SUCCESS(s)) << zone.key;
    const std::unique_ptr<icu::TimeZone> main_zone(icu::TimeZone::createTimeZone(golden));
    EXPECT_EQ(zone.offset_minutes, main_zone->getRawOffset() / 60000) << zone.key;
    icu::UnicodeString main_place;
    std::string first;
    names->getExemplarLocationName(golden, main_place).toUTF8String(first);
    const size_t places_start = zone.display.find(") ") + 2;
    if (!first.empty() && places[zone.key].count(first)) {
      EXPECT_EQ(zone.display.substr(places_start, first.size()), first) << zone.display;
    }
  }
  std::set<std::string> expected;
  for (const auto& [key, unused] : places) expected.insert(key);
  EXPECT_EQ(keys, expected);
}

}  // namespace
