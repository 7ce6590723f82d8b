#include "platform/reg_file.h"

#include <optional>

#include "platform/unicode.h"

namespace platform {
namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t pos = 0;
  while (pos <= text.size()) {
    const size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) {
      lines.push_back(text.substr(pos));
      break;
    }
    lines.push_back(text.substr(pos, end - pos));
    pos = end + 1;
    if (text[end] == '\r' && pos < text.size() && text[pos] == '\n') ++pos;
  }
  return lines;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// 1 to `max_digits` hex digits and nothing else.
std::optional<uint32_t> ParseHex(std::string_view s, size_t max_digits) {
  if (s.empty() || s.size() > max_digits) return std::nullopt;
  uint32_t value = 0;
  for (char c : s) {
    const int digit = HexDigit(c);
    if (digit < 0) return std::nullopt;
    value = value << 4 | static_cast<uint32_t>(digit);
  }
  return value;
}

// The reason a line is skipped; empty when it was applied.
using Reason = std::string;

// A quoted text at the start of `s`; moves `s` past the closing quote.
Reason ReadQuoted(std::string_view& s, std::string& out) {
  if (s.empty() || s.front() != '"') return "a name or text must start with a quote";
  for (size_t i = 1; i < s.size(); ++i) {
    if (s[i] == '"') {
      s.remove_prefix(i + 1);
      return {};
    }
    if (s[i] == '\\') {
      if (i + 1 == s.size() || (s[i + 1] != '\\' && s[i + 1] != '"'))
        return "only \\\\ and \\\" may follow a backslash";
      ++i;
    }
    out.push_back(s[i]);
  }
  return "the closing quote is missing";
}

Reason ParseData(std::string_view data, std::optional<RegistryValue>& value) {
  if (data == "-") return {};
  if (data.starts_with('"')) {
    std::string text;
    if (Reason r = ReadQuoted(data, text); !r.empty()) return r;
    if (!Trim(data).empty()) return "text after the closing quote";
    value = RegistryKey::StringValue(text);
    return {};
  }
  if (data.starts_with("dword:")) {
    const auto number = ParseHex(data.substr(6), 8);
    if (!number) return "a dword needs 1 to 8 hex digits";
    value = RegistryKey::DwordValue(*number);
    return {};
  }
  if (!data.starts_with("hex")) return "the value must be a quoted text, dword:, hex: or -";
  data.remove_prefix(3);
  DWORD type = REG_BINARY;
  if (data.starts_with('(')) {
    const size_t close = data.find(')');
    const auto number = close == std::string_view::npos ? std::nullopt : ParseHex(data.substr(1, close - 1), 8);
    if (!number) return "hex(type) needs a type of 1 to 8 hex digits";
    type = *number;
    data.remove_prefix(close + 1);
  }
  if (!data.starts_with(':')) return "hex data must follow a colon";
  data.remove_prefix(1);
  RegistryValue bytes{type, {}};
  while (!Trim(data).empty()) {
    const size_t comma = data.find(',');
    const auto byte = ParseHex(Trim(data.substr(0, comma)), 2);
    if (!byte) return "hex data must be bytes of two hex digits separated by commas";
    bytes.data.push_back(static_cast<BYTE>(*byte));
    data = comma == std::string_view::npos ? std::string_view{} : data.substr(comma + 1);
  }
  value = std::move(bytes);
  return {};
}

Reason ApplyValueLine(std::string_view line, RegistryKey& key) {
  std::string name;
  if (line.starts_with('@')) {
    line.remove_prefix(1);
  } else if (Reason r = ReadQuoted(line, name); !r.empty()) {
    return r;
  }
  line = Trim(line);
  if (!line.starts_with('=')) return "an equals sign must follow the value's name";
  std::optional<RegistryValue> value;
  if (Reason r = ParseData(Trim(line.substr(1)), value); !r.empty()) return r;
  if (value) {
    key.SetValue(name, std::move(*value));
  } else {
    key.DeleteValue(name);
  }
  return {};
}

// A key line; `key` becomes the key that the following values go to (nullptr: none).
Reason ApplyKeyLine(std::string_view line, RegistryTree& tree, RegistryKey*& key) {
  key = nullptr;
  if (!line.ends_with(']')) return "a key line must end with \"]\"";
  std::string_view path = line.substr(1, line.size() - 2);
  const bool remove = path.starts_with('-');
  if (remove) path.remove_prefix(1);
  const size_t slash = path.find('\\');
  const std::string_view root_name = path.substr(0, slash);
  const std::string_view below = slash == std::string_view::npos ? std::string_view{} : path.substr(slash + 1);
  const std::optional<HKEY> root = RegistryTree::RootByName(root_name);
  if (!root) return "unknown root key \"" + std::string(root_name) + "\"";
  if (!RegistryTree::SplitKeyPath(below)) return "the key path holds an empty name";
  if (!remove) {
    key = &tree.CreateKey(*root, below);
  } else if (below.empty()) {
    return "a root key cannot be deleted";
  } else {
    tree.DeleteKey(*root, below);
  }
  return {};
}

// A value line of hex data that ends in "\" goes on in the next line. Only the data is looked at,
// after the name and the "=" with the blanks around it: a name may hold "=hex" and a text may
// end in a backslash.
bool GoesOn(std::string_view line) {
  if (!line.ends_with('\\')) return false;
  std::string name;
  if (line.starts_with('@')) {
    line.remove_prefix(1);
  } else if (!ReadQuoted(line, name).empty()) {
    return false;
  }
  line = Trim(line);
  return line.starts_with('=') && Trim(line.substr(1)).starts_with("hex");
}

}  // namespace

std::vector<RegFileProblem> ApplyRegText(std::u16string_view text16, RegistryTree& tree) {
  const std::string text = Utf16ToUtf8(text16);
  const std::vector<std::string_view> lines = SplitLines(text);
  if (Trim(lines.front()) != kHeader) {
    return {{1, "not a registry file: its first line must be \"" + std::string(kHeader) + "\""}};
  }
  std::vector<RegFileProblem> problems;
  enum class Target { kNoKeyYet, kKey, kSkipped } target = Target::kNoKeyYet;
  RegistryKey* key = nullptr;
  for (size_t i = 1; i < lines.size(); ++i) {
    const int number = static_cast<int>(i) + 1;
    std::string line(Trim(lines[i]));
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      Reason r = ApplyKeyLine(line, tree, key);
      target = key ? Target::kKey : Target::kSkipped;
      if (!r.empty()) problems.push_back({number, std::move(r)});
      continue;
    }
    while (GoesOn(line) && i + 1 < lines.size()) {
      line.pop_back();
      line += Trim(lines[++i]);
    }
    if (target == Target::kSkipped) continue;
    Reason r = target == Target::kNoKeyYet ? "a value line before the first key line" : ApplyValueLine(line, *key);
    if (!r.empty()) problems.push_back({number, std::move(r)});
  }
  return problems;
}

}  // namespace platform
