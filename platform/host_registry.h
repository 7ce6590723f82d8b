#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry_tree.h"

namespace platform {

// Keys made from the host itself when the registry is built (for instance from its time
// zones), laid down after the built-in keys and before the user's file.
using RegistryKeySource = std::function<void(RegistryTree& tree)>;

// Where the keys of the host's registry come from, in the order they are laid down, each able
// to change or delete what came before.
struct HostRegistrySources {
  // The keys every PC running the program has, in the registry file format.
  std::string_view built_in;
  std::vector<RegistryKeySource> generated;
  // The user's own registry file; it need not exist.
  std::string user_file;
};

// The built-in keys of the program's PC, in the registry file format.
std::string_view BuiltInRegistryText();
// The user's registry file: registry.reg in the state folder.
std::string UserRegistryFilePath();
// The sources of the registry that the program uses on this host.
HostRegistrySources HostSources();

// Builds the tree of the sources. Each skipped line of a file is handed to `report` once, as
// "<file>:<line>: <reason>; line skipped" (the built-in keys are named "built-in registry").
RegistryTree BuildRegistryTree(const HostRegistrySources& sources,
                               const std::function<void(const std::string&)>& report);

}  // namespace platform
