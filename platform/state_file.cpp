#include "platform/state_file.h"

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <optional>
#include <set>
#include <tuple>

#include "platform/state_folder.h"
#include "platform/text_file.h"
#include "platform/unicode.h"

namespace platform {
namespace {

// A whole file is UTF-8 that GTK takes: valid throughout, and without a NUL, where GTK stops.
bool IsCleanUtf8(std::string_view bytes) {
  return bytes.find('\0') == std::string_view::npos && Utf16ToUtf8(Utf8ToUtf16(bytes)) == bytes;
}

}  // namespace

std::string StateFilePath(const std::string& folder, const char* name) {
  const std::string base = folder.empty() ? StateFolderPath() : folder;
  return base.empty() ? std::string{} : base + "/" + name;
}

StateDocument StateDocument::Read(const std::string& path, StateFormat format) {
  StateDocument document;
  document.lock_ = SaveLock::Take(path);
  FileBytes file = ReadFileBytes(path);
  if (format == StateFormat::kGtkBookmarks && file.status == FileBytes::Status::kRead && !IsCleanUtf8(file.bytes)) {
    file = {FileBytes::Status::kUnreadable, {}, "not UTF-8 without NUL bytes, which GTK does not read"};
  }
  if (file.status == FileBytes::Status::kUnreadable) document.unreadable_ = file.why;
  if (file.status != FileBytes::Status::kRead) return document;
  document.exists_ = true;
  std::string_view rest(file.bytes);
  if (format == StateFormat::kGtkBookmarks) {
    // A byte-order mark is part of the first line to GTK.
  } else if (rest.starts_with("\xFF\xFE")) {
    document.encoding_ = Encoding::kUtf16Le;
  } else if (rest.starts_with("\xFE\xFF")) {
    document.encoding_ = Encoding::kUtf16Be;
  }
  const size_t prefix = document.encoding_ != Encoding::kUtf8                                   ? 2
                        : format == StateFormat::kStateFile && rest.starts_with("\xEF\xBB\xBF") ? 3
                                                                                                : 0;
  document.prefix_ = rest.substr(0, prefix);
  rest.remove_prefix(prefix);
  // Half a unit at the end stays there, after whatever a save puts before it, so that every
  // line after it keeps its alignment.
  if (document.encoding_ != Encoding::kUtf8 && rest.size() % 2 != 0) {
    document.tail_.push_back(rest.back());
    rest.remove_suffix(1);
  }

  // Lines end with CR LF, LF or CR (GTK's with LF alone), counted in units of the encoding.
  const size_t unit = document.encoding_ == Encoding::kUtf8 ? 1 : 2;
  const bool cr_ends = format == StateFormat::kStateFile;
  auto at = [&](size_t i) -> unsigned {
    if (unit == 1) return static_cast<unsigned char>(rest[i]);
    const auto a = static_cast<unsigned char>(rest[i]), b = static_cast<unsigned char>(rest[i + 1]);
    return document.encoding_ == Encoding::kUtf16Le ? a | (b << 8) : (a << 8) | b;
  };
  auto ends_line = [&](size_t i) { return at(i) == '\n' || (cr_ends && at(i) == '\r'); };
  size_t start = 0;
  while (start < rest.size()) {
    size_t end = start;
    while (end < rest.size() && !ends_line(end)) end += unit;
    size_t next = end;
    if (next < rest.size()) {
      next += unit;
      if (at(end) == '\r' && next < rest.size() && at(next) == '\n') next += unit;
    }
    RawLine line{std::string(rest.substr(start, end - start)), std::string(rest.substr(end, next - end)), {}};
    line.text =
        unit == 1 ? Utf16ToUtf8(Utf8ToUtf16(line.content)) : Utf16ToUtf8(DecodeText(document.prefix_ + line.content));
    document.lines_.push_back(std::move(line));
    start = next;
  }
  return document;
}

void StateDocument::Group(size_t n, const std::string& group) {
  size_t& end = group_end_[group];
  end = std::max(end, n);
}

void StateDocument::Entry(size_t n, const std::string& group, const std::string& key) {
  Group(n, group);
  entry_line_[{group, key}] = n;
}

void StateDocument::Copy(size_t n, const std::string& group, const std::string& key) {
  Group(n, group);
  copy_lines_.emplace(std::pair(group, key), n);
}

std::string StateDocument::Encode(std::string_view utf8) const {
  if (encoding_ == Encoding::kUtf8) return std::string(utf8);
  std::string bytes;
  for (const char16_t unit : Utf8ToUtf16(utf8)) {
    const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
    bytes += encoding_ == Encoding::kUtf16Le ? std::string{low, high} : std::string{high, low};
  }
  return bytes;
}

bool StateDocument::Save(std::string_view service, const std::string& path, const std::vector<StateEntry>& before,
                         const std::vector<StateEntry>& after, const StateLayout& layout) const {
  auto fail = [&](const std::string& why) {
    std::fprintf(stderr, "%.*s: cannot write %s: %s\n", static_cast<int>(service.size()), service.data(), path.c_str(),
                 why.c_str());
    return false;
  };
  // Writing over a file that could not be read would lose what it holds.
  if (!unreadable_.empty()) return fail("it is there but cannot be read (" + unreadable_ + ")");
  using Key = std::pair<std::string, std::string>;
  std::map<Key, std::string> old;
  if (exists_) {
    for (const StateEntry& e : before) old[{e.group, e.key}] = e.line;
  }
  std::vector<std::optional<std::string>> replaced(lines_.size());
  std::vector<bool> removed(lines_.size());
  std::vector<std::vector<std::string>> inserted(lines_.size());
  std::vector<std::string> appended;
  std::set<std::string> opened;
  std::set<Key> kept;
  for (const StateEntry& e : after) {
    if (HasControlCharacter(e.line)) return fail("a field holds a control character");
    const Key key{e.group, e.key};
    kept.insert(key);
    const auto was = old.find(key);
    if (was != old.end() && was->second == e.line) continue;
    if (const auto line = entry_line_.find(key); exists_ && line != entry_line_.end()) {
      replaced[line->second] = e.line;
    } else if (const auto group = group_end_.find(e.group); exists_ && group != group_end_.end()) {
      inserted[group->second].push_back(e.line);
    } else {
      if (opened.insert(e.group).second && layout.opening) {
        for (const std::string& opening : layout.opening(e.group)) appended.push_back(opening);
      }
      appended.push_back(e.line);
    }
  }
  for (const auto& [key, line] : entry_line_) {
    if (exists_ && old.count(key) && !kept.count(key)) removed[line] = true;
  }
  for (const auto& [key, line] : copy_lines_) {
    if (exists_ && old.count(key) && !kept.count(key)) removed[line] = true;
  }

  // The file's own line end for new lines, its first; "\n" for a file that has none.
  const std::string newline = [&] {
    if (!layout.newline.empty()) return Encode(layout.newline);
    for (const RawLine& line : lines_) {
      if (!line.end.empty()) return line.end;
    }
    return Encode("\n");
  }();
  std::vector<std::pair<std::string, std::string>> out;
  if (!exists_) {
    for (size_t start = 0; start < layout.header.size();) {
      const size_t end = layout.header.find('\n', start);
      out.emplace_back(Encode(layout.header.substr(start, end - start)), newline);
      start = end == std::string::npos ? layout.header.size() : end + 1;
    }
  }
  for (size_t n = 0; n < lines_.size(); ++n) {
    if (!removed[n]) out.emplace_back(replaced[n] ? Encode(*replaced[n]) : lines_[n].content, lines_[n].end);
    for (const std::string& line : inserted[n]) out.emplace_back(Encode(line), newline);
  }
  for (const std::string& line : appended) out.emplace_back(Encode(line), newline);
  // Only the file's last line may go without a line end.
  for (size_t i = 0; i + 1 < out.size(); ++i) {
    if (out[i].second.empty()) out[i].second = newline;
  }
  // A bare CR that comes to stand before an empty line's LF (a line between them gone, or a new
  // line ending in CR put there) would read as one CR LF and lose that empty line: it becomes CR LF.
  const std::string cr = Encode("\r"), lf = Encode("\n");
  for (size_t i = 0; i + 1 < out.size(); ++i) {
    if (out[i].second == cr && out[i + 1].first.empty() && out[i + 1].second.starts_with(lf)) {
      out[i].second = cr + lf;
    }
  }
  std::string bytes = prefix_;
  for (const auto& [content, end] : out) bytes += content + end;
  bytes += tail_;
  if (!lock_.held()) return fail("its lock was not had (" + lock_.why() + ")");
  const std::string why = lock_.ReplaceFile(bytes);
  return why.empty() || fail(why);
}

void ReportSkippedLine(std::string_view service, const std::string& file, size_t line, std::string_view text,
                       std::string_view reason) {
  static std::mutex mutex;
  static std::set<std::tuple<std::string, size_t, std::string>> reported;
  std::lock_guard<std::mutex> lock(mutex);
  if (!reported.emplace(file, line, std::string(text)).second) return;
  std::fprintf(stderr, "%.*s: %s:%zu: %.*s; line skipped\n", static_cast<int>(service.size()), service.data(),
               file.c_str(), line, static_cast<int>(reason.size()), reason.data());
}

std::string_view TrimBlanks(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool IsStateComment(std::string_view line) {
  line = TrimBlanks(line);
  return line.empty() || line.front() == '#';
}

}  // namespace platform
