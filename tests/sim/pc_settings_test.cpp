#include "sim/pc_settings.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/registry.h"
#include "platform/time_zone.h"

namespace {

using namespace platform;

// What RegQueryValueExA gives for a string value of the utilities' key: its open result, then
// its query result and text.
struct LanguageRead {
  LONG open;
  LONG query;
  std::string text;
  bool operator==(const LanguageRead&) const = default;
};

LanguageRead ReadLanguage() {
  HKEY key{};
  LanguageRead read{RegOpenKeyExA(HKEY_LOCAL_MACHINE, R"(SOFTWARE\Orvo\Orvo Fenwold Utilities)", 0, KEY_READ, &key),
                    ERROR_FILE_NOT_FOUND, ""};
  if (read.open != ERROR_SUCCESS) return read;
  char text[64] = {};
  DWORD size = sizeof text;
  read.query = RegQueryValueExA(key, "Language", nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size);
  if (read.query == ERROR_SUCCESS) read.text = text;
  RegCloseKey(key);
  return read;
}

// The wizard's tests make one PC after another in a process: each serves its language value and
// zones while it lives, and leaves the registry and zones that were there before.
TEST(PcSettingsTest, ThePcsLanguageAndZonesAreServedWhileItsSettingsLive) {
  struct Case {
    const char* what;
    std::optional<std::string> language;
    bool language_key;
    LanguageRead read;
  } const cases[] = {
      {"a language value", "German", true, {ERROR_SUCCESS, ERROR_SUCCESS, "German"}},
      {"the key without the value", std::nullopt, true, {ERROR_SUCCESS, ERROR_FILE_NOT_FOUND, ""}},
      {"no key", "German", false, {ERROR_FILE_NOT_FOUND, ERROR_FILE_NOT_FOUND, ""}},
  };
  EmulatedRegistry before{RegistryTree()};
  ScopedRegistry scope(before);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    {
      sim::PcSettings settings(
          {{{"Tonga Standard Time", "(UTC+13:00) Nuku'alofa", "Tonga Standard Time", "Tonga Daylight Time", 780}},
           "Tonga Standard Time",
           TIME_ZONE_ID_DAYLIGHT},
          c.language, c.language_key);
      EXPECT_EQ(ReadLanguage(), c.read);
      TIME_ZONE_INFORMATION zone;
      EXPECT_EQ(GetTimeZoneInformation(&zone), TIME_ZONE_ID_DAYLIGHT);
      EXPECT_EQ(zone.Bias, -780);
      HKEY key{};
      ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, (std::string(kTimeZonesKeyPath) + "\\Tonga Standard Time").c_str(), 0,
                              KEY_READ, &key),
                ERROR_SUCCESS);
      RegCloseKey(key);
      EXPECT_EQ(settings.registry().OpenHandles(), 0u);
    }
    EXPECT_EQ(&CurrentRegistry(), &before);
    EXPECT_EQ(&CurrentTimeZoneService(), &HostTimeZoneService());
  }
}

}  // namespace
