#include "sim/pc_settings.h"

#include <utility>

#include "platform/registry_tree.h"
#include "platform/time_zone.h"

namespace sim {
namespace {

platform::RegistryTree TreeOf(const std::vector<platform::WindowsTimeZone>& zones,
                              const std::optional<std::string>& language, bool language_key) {
  platform::RegistryTree tree;
  platform::AddTimeZoneKeys(tree, zones);
  if (language_key) {
    platform::RegistryKey& utilities =
        tree.CreateKey(platform::HKEY_LOCAL_MACHINE, R"(SOFTWARE\Orvo\Orvo Fenwold Utilities)");
    if (language) utilities.SetString("Language", *language);
  }
  return tree;
}

}  // namespace

PcSettings::PcSettings(SimTimeZones zones, std::optional<std::string> language, bool language_key)
    : zones_(std::move(zones)), registry_(TreeOf(zones_.zones, language, language_key)), registry_scope_(registry_) {
  platform::InstallTimeZoneService(&zones_);
}

PcSettings::~PcSettings() { platform::InstallTimeZoneService(nullptr); }

}  // namespace sim
