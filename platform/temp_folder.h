#pragma once

#include <string>

namespace platform {

// The user's own temporary folder, where the program's temporary files go, as the per-user
// %TEMP% of Windows is the user's alone: "orvo-nas-setup-wizard" in $XDG_RUNTIME_DIR when that is
// set and usable (an absolute path to a folder of the user's that is not a link and that no one
// else may enter), else "orvo-nas-setup-wizard-<uid>" in $TMPDIR (when it is an absolute path) or
// /tmp. A runtime folder or TMPDIR whose name the system's code page cannot hold is not used (the
// program's 8-bit paths could not name it), and a line on the standard error says so. The folder
// is made for the user alone (0700) when it is missing, and used only when it is a folder of the
// user's, not a link, closed to others. When that name is taken (another user's folder, a link, a
// file, a folder open to others), the private folder beside it that an earlier run made for the
// same reason serves again, or a fresh folder of a random name is made there; a line on the
// standard error says which. Ends in "/"; empty when no private folder can be had. Worked out
// again when the variables or the code page change, or the folder is no longer private.
std::string HostTempFolder();

// The rule behind HostTempFolder for given variables, in the current code page.
std::string PrivateTempFolderFor(const char* xdg_runtime_dir, const char* tmpdir);

}  // namespace platform
