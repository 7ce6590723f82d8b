#pragma once

#include <string>

namespace platform {

// The per-user folder where the emulated services of the platform (registry, drive mappings,
// firewall) keep what the real system would remember: $XDG_STATE_HOME/orvo-nas-setup-wizard,
// else ~/.local/state/orvo-nas-setup-wizard. The path only; nothing is created.
std::string StateFolderPath();

// The same folder, created (with its parents, for the user alone) when it is missing. Raises
// platform::Exception naming the folder when it cannot be made.
std::string EnsureStateFolder();

// The user's home: `home` when it is an absolute path, else the current user's home from the user
// database; empty when neither gives one.
std::string HomeFolder(const char* home);

// The rule behind StateFolderPath for given variables: XDG_STATE_HOME counts only when it is an
// absolute path; without a usable home the folder lies below the current user's home from the
// user database. Empty when neither gives a home.
std::string StateFolderFor(const char* xdg_state_home, const char* home);

}  // namespace platform
