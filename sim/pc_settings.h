#pragma once

#include <optional>
#include <string>

#include "platform/emulated_registry.h"
#include "platform/registry.h"
#include "sim/sim_time_zones.h"

namespace sim {

// What the wizard reads of the simulated PC's settings, the platform's while the object lives:
// its time zones, and a registry that holds their keys and the utilities' key with the language
// value. Gone, it leaves the host's time zones and the registry that was in place before.
class PcSettings {
 public:
  // Without `language` the utilities' key has no value; without `language_key` there is no key.
  PcSettings(SimTimeZones zones, std::optional<std::string> language, bool language_key = true);
  ~PcSettings();
  PcSettings(const PcSettings&) = delete;
  PcSettings& operator=(const PcSettings&) = delete;

  SimTimeZones& zones() { return zones_; }
  platform::EmulatedRegistry& registry() { return registry_; }

 private:
  SimTimeZones zones_;
  platform::EmulatedRegistry registry_;
  platform::ScopedRegistry registry_scope_;
};

}  // namespace sim
