#include "platform/profile.h"

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

// The value of the key in the section, when the text has it.
std::optional<std::u16string> FindValue(std::u16string_view text, std::u16string_view section,
                                        std::u16string_view key) {
  bool in_section = false;
  for (size_t pos = 0; pos < text.size();) {
    const std::u16string_view line = Trim(NextLine(text, pos));
    if (line.empty() || line.front() == u';') continue;
    if (const auto name = SectionName(line)) {
      if (in_section) return std::nullopt;  // only the first section of the name counts
      in_section = NamesEqual(*name, section);
      continue;
    }
    if (!in_section) continue;
    const size_t equals = line.find(u'=');
    if (!NamesEqual(Trim(line.substr(0, equals)), key)) continue;
    if (equals == std::u16string_view::npos) return std::nullopt;
    return std::u16string(Trim(line.substr(equals + 1)));
  }
  return std::nullopt;
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
  const std::u16string wanted_section(Trim(Utf8ToUtf16(section)));
  const std::u16string wanted_key(Trim(Utf8ToUtf16(key)));
  std::optional<std::u16string> value;
  if (!wanted_section.empty() && !wanted_key.empty()) {
    if (const std::optional<std::u16string> text = ReadTextFile(path))
      value = FindValue(*text, wanted_section, wanted_key);
  }
  std::u16string result;
  if (value) {
    result = value->substr(0, value->find(u'\0'));
    StripEnclosingQuotes(result);
  } else {
    result = Utf8ToUtf16(default_value);
  }
  FitBuffer(result, buffer_chars);
  return Utf16ToUtf8(result);
}

}  // namespace platform
