#include "platform/gtk_bookmarks.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "platform/state_file.h"
#include "platform/state_folder.h"
#include "platform/text_file.h"

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

// The file's lines, each with its own line end (the last one may have none).
std::vector<std::string> LinesOf(const std::string& bytes) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < bytes.size()) {
    const size_t end = bytes.find('\n', start);
    const size_t next = end == std::string::npos ? bytes.size() : end + 1;
    lines.push_back(bytes.substr(start, next - start));
    start = next;
  }
  return lines;
}

std::string_view WithoutLineEnd(std::string_view line) {
  if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

bool Holds(const std::vector<NetworkConnection>& list, const NetworkConnection& c) {
  return std::find(list.begin(), list.end(), c) != list.end();
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
  // A line end inside the label would end the bookmark and make the rest another one.
  for (char& c : label) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  }
  return uri + " " + label;
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
  const FileBytes bytes = ReadFileBytes(file);
  // A file there that cannot be read is left alone: writing ours would drop the user's lines.
  if (bytes.status == FileBytes::Status::kUnreadable) {
    std::fprintf(stderr, "bookmarks: cannot read %s\n", file.c_str());
    return false;
  }
  std::vector<std::string> lines = LinesOf(bytes.bytes);
  const std::vector<std::string> original = lines;
  const auto find = [&](const std::string& bookmark) {
    return std::find_if(lines.begin(), lines.end(),
                        [&](const std::string& l) { return WithoutLineEnd(l) == bookmark; });
  };
  for (const std::string& bookmark : gone) {
    if (const auto it = find(bookmark); it != lines.end()) lines.erase(it);
  }
  for (const std::string& bookmark : added) {
    if (find(bookmark) != lines.end()) continue;
    if (!lines.empty() && lines.back().back() != '\n') lines.back() += '\n';
    lines.push_back(bookmark + "\n");
  }
  if (lines == original) return true;
  std::string text;
  for (const std::string& l : lines) text += l;
  const std::string why = ReplaceFile(file, text);
  if (why.empty()) return true;
  std::fprintf(stderr, "bookmarks: cannot write %s: %s\n", file.c_str(), why.c_str());
  return false;
}

}  // namespace platform
