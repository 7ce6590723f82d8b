#pragma once

#include <string>
#include <vector>

#include "platform/network_connections.h"

// The desktop's bookmarks (GTK's file, which GNOME Files, Nemo, Caja, Thunar and every GTK file
// dialog show), where the host puts the network drives it remembers: the user reaches the share
// from there, the desktop mounting it through its own SMB support.
namespace platform {

// $XDG_CONFIG_HOME/gtk-3.0/bookmarks (an absolute XDG_CONFIG_HOME only), else
// ~/.config/gtk-3.0/bookmarks; empty without a home.
std::string GtkBookmarksPathFor(const char* xdg_config_home, const char* home);
std::string GtkBookmarksPath();

// The bookmark of a connection on a letter: "smb://server/share Z: share on server", the URI
// percent-encoded where a name needs it, control characters of the label as blanks.
std::string ConnectionBookmark(const NetworkConnection& connection);

// Adds the bookmark of every connection the profile gained and removes the one of every
// connection it lost; each line is added once and removed once, the file's other lines stay
// byte for byte. The file is written as a state file is (platform/state_file.h). False, with the
// reason on the standard error, when the file cannot be written or is there but cannot be read.
bool FollowRememberedConnections(const std::string& file, const std::vector<NetworkConnection>& before,
                                 const std::vector<NetworkConnection>& after);

}  // namespace platform
