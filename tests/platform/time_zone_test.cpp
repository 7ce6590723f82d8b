#include "platform/time_zone.h"

#include <gtest/gtest.h>

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

}  // namespace
