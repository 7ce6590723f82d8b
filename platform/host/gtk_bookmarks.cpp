#include "platform/gtk_bookmarks.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <string_view>

#include "platform/state_file.h"
#include "platform/state_folder.h"
#include "platform/unicode.h"

namespace platform {
namespace {

// RFC 3986: everything but the unreserved characters as %XX of its UTF-8 bytes.
std::string PercentEncoded(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if ((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') || b == '-' || b == '.' ||
        b == '_' || b == '~') {
      out.push_back(c);
    } else {
      out += {'%', kHex[b >> 4], kHex[b & 15]};
    }
  }
  return out;
}

// "\\server\share\path" as its names: server, share, path names.
std::vector<std::string> NamesOf(const std::string& remote_name) {
  std::vector<std::string> names;
  size_t start = 2;
  while (start <= remote_name.size()) {
    const size_t end = std::min(remote_name.find('\\', start), remote_name.size());
    if (end > start) names.push_back(remote_name.substr(start, end - start));
    start = end + 1;
  }
  return names;
}

template <typename T>
bool Holds(const std::vector<T>& list, const T& item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

bool HoldsLine(const std::vector<StateEntry>& entries, const std::string& line) {
  return std::any_of(entries.begin(), entries.end(), [&](const StateEntry& e) { return e.line == line; });
}

}  // namespace

std::string GtkBookmarksPathFor(const char* xdg_config_home, const char* home) {
  if (xdg_config_home && xdg_config_home[0] == '/') return std::string(xdg_config_home) + "/gtk-3.0/bookmarks";
  const std::string base = HomeFolder(home);
  return base.empty() ? std::string() : base + "/.config/gtk-3.0/bookmarks";
}

std::string GtkBookmarksPath() { return GtkBookmarksPathFor(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME")); }

std::string ConnectionBookmark(const NetworkConnection& connection) {
  const std::vector<std::string> names = NamesOf(connection.remote_name);
  std::string uri = "smb:/";
  std::string share;
  for (size_t i = 0; i < names.size(); ++i) {
    uri.append("/").append(PercentEncoded(names[i]));
    if (i > 1) share += '/';
    if (i > 0) share += names[i];
  }
  std::string label = connection.local_name + " " + share + " on " + (names.empty() ? "" : names[0]);
  // A line end inside the label would end the bookmark and make the rest another one, and a byte
  // that is not UTF-8 would make GTK drop the whole file.
  std::replace_if(label.begin(), label.end(), IsControlCharacter, ' ');
  return uri + " " + Utf16ToUtf8(Utf8ToUtf16(label));
}

bool FollowRememberedConnections(const std::string& file, const std::vector<NetworkConnection>& before,
                                 const std::vector<NetworkConnection>& after) {
  std::vector<std::string> gone, added;
  for (const NetworkConnection& c : before) {
    if (!c.local_name.empty() && !Holds(after, c)) gone.push_back(ConnectionBookmark(c));
  }
  for (const NetworkConnection& c : after) {
    if (!c.local_name.empty() && !Holds(before, c)) added.push_back(ConnectionBookmark(c));
  }
  if ((gone.empty() && added.empty()) || file.empty()) return true;
  StateDocument document = StateDocument::Read(file, StateFormat::kGtkBookmarks);
  // Our bookmarks as the file holds them, each copy a record of its own, so that a removal takes
  // every copy; every other line is the user's and stays as it is.
  std::vector<StateEntry> held;
  std::map<std::string, size_t> copies;
  for (size_t n = 0; n < document.size(); ++n) {
    const std::string& line = document.Line(n);
    if (!Holds(gone, line) && !Holds(added, line)) continue;
    // A line holds no LF, so the key cannot be another copy's.
    held.push_back({"", line + "\n" + std::to_string(copies[line]++), line});
    document.Entry(n, "", held.back().key);
  }
  std::vector<StateEntry> now;
  for (const StateEntry& e : held) {
    if (!Holds(gone, e.line)) now.push_back(e);
  }
  for (const std::string& bookmark : added) {
    if (!HoldsLine(now, bookmark)) now.push_back({"", bookmark + "\n0", bookmark});
  }
  if (now == held && !document.unreadable()) return true;
  // New bookmarks go after the file's last line, in GTK's own format: UTF-8 with LF ends.
  if (document.size() > 0) document.Group(document.size() - 1, "");
  return document.Save("bookmarks", file, held, now, {"", nullptr, "\n"});
}

}  // namespace platform
