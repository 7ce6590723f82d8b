// A language file of any bytes, in any of the reader's encodings, that begins with a section of
// key lines the input lays out (any blanks, quotes, line ends, lengths): every key of that first
// section reads back as the profile rules say its line does, whatever follows it, through every
// reader (one call, a kept reading, a reader that reads again), and the loader gives every slot
// the value that the file holds for its key.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cctype>
#include <optional>
#include <string>
#include <vector>

#include "check.h"
#include "file_targets.h"
#include "platform/ansi.h"
#include "platform/profile.h"
#include "platform/unicode.h"
#include "text/language_keys.h"
#include "text/language_loader.h"

namespace {

using fuzz::Check;

constexpr size_t kBufferChars = 2048;  // TIniFile's
const char* const kEnds[] = {"\n", "\r\n", "\r"};
const char* const kBlanks[] = {"", " ", "\t", "  ", "\v", "\f", " \t "};

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f'; }

std::u16string Trim(std::u16string s) {
  while (!s.empty() && IsBlank(s.front())) s.erase(s.begin());
  while (!s.empty() && IsBlank(s.back())) s.pop_back();
  return s;
}

// Valid UTF-8 of the input's choice.
std::string Text(FuzzedDataProvider& input, size_t max) {
  return platform::Utf16ToUtf8(platform::Utf8ToUtf16(input.ConsumeRandomLengthString(max)));
}

// What a key line's value reads as, by the profile rules: without the blanks around it, up to a
// NUL, without a pair of quotes around it, cut to the buffer without half a surrogate pair.
std::string Expected(const std::string& value) {
  std::u16string v = Trim(platform::Utf8ToUtf16(value));
  v = v.substr(0, v.find(u'\0'));
  if (v.size() >= 2 && (v.front() == u'"' || v.front() == u'\'') && v.back() == v.front())
    v = v.substr(1, v.size() - 2);
  if (v.size() > kBufferChars - 1) {
    v.resize(kBufferChars - 1);
    if (v.back() >= 0xD800 && v.back() <= 0xDBFF) v.pop_back();
  }
  return platform::Utf16ToUtf8(v);
}

// ASCII letters in the other case, where the input says so: names match without regard to it.
std::string OtherCase(std::string name, FuzzedDataProvider& input) {
  for (char& c : name) {
    if (std::isalpha(static_cast<unsigned char>(c)) && input.ConsumeBool()) c ^= 0x20;
  }
  return name;
}

struct KeyLine {
  std::string key;    // as it is looked up
  std::string value;  // as it is written
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static NamedScratchFolder& folder = fuzz::ScratchFolderForFiles("fuzz-language");
  FuzzedDataProvider input(data, size);
  const int encoding = input.ConsumeIntegralInRange<int>(0, 3);
  // The loader reads every key of the table, which takes long: one input in eight.
  const bool load = input.ConsumeIntegralInRange<int>(0, 7) == 0;
  const std::string end = kEnds[input.ConsumeIntegralInRange<size_t>(0, 2)];
  auto blank = [&] { return std::string(kBlanks[input.ConsumeIntegralInRange<size_t>(0, std::size(kBlanks) - 1)]); };

  // The first section: its name may hold anything but a "]" and line ends, and has something
  // besides blanks.
  std::string section = Text(input, 40);
  section.erase(
      std::remove_if(section.begin(), section.end(), [](char c) { return c == ']' || c == '\r' || c == '\n'; }),
      section.end());
  if (Trim(platform::Utf8ToUtf16(section)).empty()) section += "S";
  std::string text = blank();
  text += "[" + blank();
  text += section + blank();
  text += input.ConsumeBool() ? "] after" : "]";
  text += end;

  // Its key lines: keys of the table or any others, never a comment, a section or empty.
  const std::vector<LanguageKey>& table = LanguageKeys();
  std::vector<KeyLine> lines;
  const size_t count = input.ConsumeIntegralInRange<size_t>(0, 12);
  for (size_t i = 0; i < count; ++i) {
    std::string key = input.ConsumeBool()
                          ? std::string(table[input.ConsumeIntegralInRange<size_t>(0, table.size() - 1)].key)
                          : Text(input, 20);
    key.erase(std::remove_if(key.begin(), key.end(), [](char c) { return c == '=' || c == '\r' || c == '\n'; }),
              key.end());
    const std::u16string trimmed = Trim(platform::Utf8ToUtf16(key));
    if (trimmed.empty() || trimmed.front() == u';' || trimmed.front() == u'[') key = "K" + key;
    std::string value = Text(input, input.ConsumeBool() ? 3000 : 40);
    value.erase(std::remove_if(value.begin(), value.end(), [](char c) { return c == '\r' || c == '\n'; }), value.end());
    text += blank();
    text += OtherCase(key, input);
    text += blank();
    text += "=" + value + end;
    lines.push_back({key, value});
  }
  // Whatever follows, in the file's encoding or not.
  const std::string rest = input.ConsumeRemainingBytesAsString();
  const std::string file = folder.Write("Quillmere.ini", fuzz::EncodedText(text, encoding) + rest);

  // Each key of the section as its first line of that name says; one that is not there (the
  // section's name in other letters) as the default.
  const platform::ProfileFile reading = platform::ProfileFile::Read(file);
  platform::ProfileReader reader(file);
  for (size_t i = 0; i < lines.size(); ++i) {
    auto name_of = [&](size_t n) { return platform::UpcaseName(Trim(platform::Utf8ToUtf16(lines[n].key))); };
    size_t first = 0;
    while (name_of(first) != name_of(i)) ++first;
    const std::string expected = Expected(lines[first].value);
    Check(platform::GetPrivateProfileString(section, lines[i].key, "default", kBufferChars, file) == expected);
    Check(reading.GetString(section, lines[i].key, "default", kBufferChars) == expected);
    Check(reader.GetString(section, lines[i].key, "default", kBufferChars) == expected);
  }
  Check(reading.GetString(section, "", "default", kBufferChars) == "default");
  Check(reading.GetString("", "str_BtnNext", "default", kBufferChars) == "default");

  // The loader, with the section's name as the language's (through the code page).
  if (!load) return 0;
  const platform::AnsiString language = platform::ToAnsi(section);
  LoadLanguageStringsFrom(file, language);
  const std::string name = platform::FromAnsi(language);
  for (const LanguageKey& row : table) {
    const std::string value = reading.GetString(name, std::string(row.key), std::string(row.english), kBufferChars);
    if (row.slot) Check(*row.slot == platform::ToAnsi(value));
  }
  return 0;
}
