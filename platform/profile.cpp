#include "platform/profile.h"

#include <sys/stat.h>

#include <optional>

#include "platform/text_file.h"
#include "platform/unicode.h"

namespace platform {
namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f'; }

std::u16string_view Trim(std::u16string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// The next line of `text` from `pos`, without its line end; moves pos past it.
std::u16string_view NextLine(std::u16string_view text, size_t& pos) {
  const size_t end = text.find_first_of(u"\r\n", pos);
  const std::u16string_view line = text.substr(pos, end == std::u16string_view::npos ? end : end - pos);
  if (end == std::u16string_view::npos) {
    pos = text.size();
  } else {
    pos = end + 1;
    if (text[end] == u'\r' && pos < text.size() && text[pos] == u'\n') ++pos;
  }
  return line;
}

std::optional<std::u16string_view> SectionName(std::u16string_view line) {
  if (line.empty() || line.front() != u'[') return std::nullopt;
  const size_t close = line.find(u']');
  if (close == std::u16string_view::npos) return std::nullopt;
  return Trim(line.substr(1, close - 1));
}

void StripEnclosingQuotes(std::u16string& value) {
  if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
}

// Cut to what a buffer of `chars` units holds with its terminator; half a surrogate pair at
// the cut goes too, since it is no character.
void FitBuffer(std::u16string& text, size_t chars) {
  const size_t room = chars == 0 ? 0 : chars - 1;
  if (text.size() <= room) return;
  text.resize(room);
  if (!text.empty() && text.back() >= 0xD800 && text.back() <= 0xDBFF) text.pop_back();
}

}  // namespace

std::string GetPrivateProfileString(std::string_view section, std::string_view key, std::string_view default_value,
                                    size_t buffer_chars, const std::string& path) {
  return ProfileFile::Read(path).GetString(section, key, default_value, buffer_chars);
}

ProfileFile ProfileFile::Read(const std::string& path) {
  ProfileFile file;
  if (std::optional<std::u16string> text = ReadTextFile(path)) file.text_ = std::move(*text);
  const std::u16string_view text(file.text_);
  // The keys of the section being read; null while it is not the first section of its name.
  Keys* keys = nullptr;
  for (size_t pos = 0; pos < text.size();) {
    const std::u16string_view line = Trim(NextLine(text, pos));
    if (line.empty() || line.front() == u';') continue;
    if (const auto name = SectionName(line)) {
      const auto [it, first] = file.sections_.try_emplace(UpcaseName(*name));
      keys = first ? &it->second : nullptr;
      continue;
    }
    if (!keys) continue;
    const size_t equals = line.find(u'=');
    const std::u16string_view name = Trim(line.substr(0, equals));
    if (name.empty()) continue;
    std::optional<Span> value;
    if (equals != std::u16string_view::npos) {
      const std::u16string_view v = Trim(line.substr(equals + 1));
      value = Span{static_cast<size_t>(v.data() - text.data()), v.size()};
    }
    keys->try_emplace(UpcaseName(name), value);
  }
  return file;
}

std::string ProfileFile::GetString(std::string_view section, std::string_view key, std::string_view default_value,
                                   size_t buffer_chars) const {
  const std::u16string wanted_section(Trim(Utf8ToUtf16(section)));
  const std::u16string wanted_key(Trim(Utf8ToUtf16(key)));
  std::optional<Span> value;
  if (!wanted_section.empty() && !wanted_key.empty()) {
    if (const auto s = sections_.find(UpcaseName(wanted_section)); s != sections_.end()) {
      if (const auto k = s->second.find(UpcaseName(wanted_key)); k != s->second.end()) value = k->second;
    }
  }
  std::u16string result;
  if (value) {
    result = text_.substr(value->start, value->size);
    result = result.substr(0, result.find(u'\0'));
    StripEnclosingQuotes(result);
  } else {
    result = Utf8ToUtf16(default_value);
  }
  FitBuffer(result, buffer_chars);
  return Utf16ToUtf8(result);
}

ProfileReader::Stamp ProfileReader::StampOf(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return {};
  return {true,
          static_cast<unsigned long long>(status.st_dev),
          static_cast<unsigned long long>(status.st_ino),
          static_cast<unsigned long long>(status.st_size),
          static_cast<long long>(status.st_mtim.tv_sec),
          static_cast<long long>(status.st_mtim.tv_nsec)};
}

std::string ProfileReader::GetString(std::string_view section, std::string_view key, std::string_view default_value,
                                     size_t buffer_chars) {
  const Stamp now = StampOf(path_);
  if (stamp_ != now) {
    file_ = ProfileFile::Read(path_);
    stamp_ = now;
  }
  return file_.GetString(section, key, default_value, buffer_chars);
}

}  // namespace platform
