#include "platform/host_registry.h"

#include "platform/reg_file.h"
#include "platform/state_folder.h"
#include "platform/text_file.h"
#include "platform/time_zone.h"
#include "platform/unicode.h"

namespace platform {
namespace {

// What the product's installer leaves on a PC: the utilities' key with the language chosen
// at installation.
constexpr std::string_view kBuiltInRegistry = R"(Windows Registry Editor Version 5.00

[HKEY_LOCAL_MACHINE\SOFTWARE\Orvo\Orvo Fenwold Utilities]
"Language"="English"
)";

void Apply(std::u16string_view text, const std::string& name, RegistryTree& tree,
           const std::function<void(const std::string&)>& report) {
  for (const RegFileProblem& p : ApplyRegText(text, tree)) {
    report(name + ":" + std::to_string(p.line) + ": " + p.reason + "; line skipped");
  }
}

}  // namespace

std::string_view BuiltInRegistryText() { return kBuiltInRegistry; }

std::string UserRegistryFilePath() {
  const std::string folder = StateFolderPath();
  return folder.empty() ? std::string{} : folder + "/registry.reg";
}

HostRegistrySources HostSources() {
  return {kBuiltInRegistry,
          {[](RegistryTree& tree) { AddTimeZoneKeys(tree, CurrentTimeZoneService().Zones()); }},
          UserRegistryFilePath()};
}

RegistryTree BuildRegistryTree(const HostRegistrySources& sources,
                               const std::function<void(const std::string&)>& report) {
  RegistryTree tree;
  Apply(Utf8ToUtf16(sources.built_in), "built-in registry", tree, report);
  for (const RegistryKeySource& source : sources.generated) source(tree);
  if (!sources.user_file.empty()) {
    if (const auto text = ReadTextFile(sources.user_file)) Apply(*text, sources.user_file, tree, report);
  }
  return tree;
}

}  // namespace platform
