// A user's registry.reg of any bytes, in UTF-8 or UTF-16, that ends with a key and values the
// input writes in any of the forms the reader allows (escapes, blanks around "=", hex data over
// continuation lines): whatever comes before, the key holds exactly those values afterwards, and
// no line of them is reported.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "check.h"
#include "file_targets.h"
#include "platform/host_registry.h"
#include "platform/registry_tree.h"
#include "platform/text_file.h"
#include "platform/unicode.h"

namespace {

using fuzz::Check;
using platform::RegistryValue;

constexpr const char* kKeyPath = "SOFTWARE\\Fuzz";
const char* const kEnds[] = {"\r\n", "\n", "\r"};
const char* const kBlanks[] = {"", " ", "\t", "  "};

std::string Quoted(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

std::string Hex(uint32_t value, size_t digits, bool upper) {
  char text[16];
  std::snprintf(text, sizeof text, upper ? "%0*X" : "%0*x", static_cast<int>(digits), value);
  return text;
}

// Text without line ends, which no line can hold; valid UTF-8, as it reads back.
std::string Text(FuzzedDataProvider& input, size_t max) {
  std::string text = platform::Utf16ToUtf8(platform::Utf8ToUtf16(input.ConsumeRandomLengthString(max)));
  std::erase_if(text, [](char c) { return c == '\r' || c == '\n'; });
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static NamedScratchFolder& folder = fuzz::ScratchFolderForFiles("fuzz-registry");
  FuzzedDataProvider input(data, size);
  const int encoding = input.ConsumeIntegralInRange<int>(0, 3);
  const std::string end = kEnds[input.ConsumeIntegralInRange<size_t>(0, 2)];
  auto blank = [&] { return std::string(kBlanks[input.ConsumeIntegralInRange<size_t>(0, std::size(kBlanks) - 1)]); };
  const size_t mark = encoding == 1 ? 3 : encoding >= 2 ? 2 : 0;

  // Any lines first, in the file's encoding or as raw bytes.
  std::string before = input.ConsumeRandomLengthString(2000);
  std::string bytes = fuzz::EncodedText("Windows Registry Editor Version 5.00" + end, encoding);
  if (input.ConsumeBool()) {
    if (encoding >= 2 && before.size() % 2 != 0) before.pop_back();
    bytes += before;
  } else {
    bytes += fuzz::EncodedText(before, encoding).substr(mark);
  }

  // Then a line with nothing on it, which ends a value that they may have left going on, the key
  // and its values.
  std::string ours = end + end;
  const size_t key_line = ours.size();
  std::string name = Text(input, 30);
  std::erase(name, '\\');
  if (name.empty() || name.front() == '-') name = "K" + name;
  ours += blank();
  ours += "[HKEY_LOCAL_MACHINE\\" + std::string(kKeyPath) + "\\" + name + "]";
  ours += blank() + end;
  std::map<std::u16string, std::pair<std::string, std::optional<RegistryValue>>> expected;
  const size_t count = input.ConsumeIntegralInRange<size_t>(0, 6);
  for (size_t i = 0; i < count; ++i) {
    const bool is_default = input.ConsumeIntegralInRange<int>(0, 7) == 0;
    const std::string value_name = is_default ? std::string() : Text(input, 20);
    std::string line = blank();
    line += is_default ? "@" : Quoted(value_name);
    line += blank();
    line += "=";
    line += blank();
    std::optional<RegistryValue> value;
    switch (input.ConsumeIntegralInRange<int>(0, 3)) {
      case 0: {
        const std::string text = Text(input, 40);
        line += Quoted(text);
        value = platform::RegistryKey::StringValue(text);
        break;
      }
      case 1: {
        const uint32_t number = input.ConsumeIntegral<uint32_t>();
        const size_t digits = input.ConsumeIntegralInRange<size_t>(1, 8);
        line += "dword:" + Hex(number, digits, input.ConsumeBool());
        value = platform::RegistryKey::DwordValue(number);
        break;
      }
      case 2: {
        platform::DWORD type = platform::REG_BINARY;
        line += "hex";
        if (input.ConsumeBool()) {
          type = input.ConsumeIntegral<uint32_t>();
          const size_t digits = input.ConsumeIntegralInRange<size_t>(1, 8);
          line += "(" + Hex(type, digits, input.ConsumeBool()) + ")";
        }
        line += ":";
        const std::vector<uint8_t> data_bytes =
            input.ConsumeBytes<uint8_t>(input.ConsumeIntegralInRange<size_t>(0, 40));
        for (size_t b = 0; b < data_bytes.size(); ++b) {
          // A line may go on after the colon and after each comma.
          if (input.ConsumeIntegralInRange<int>(0, 3) == 0) line += "\\" + end;
          line += blank();
          line += Hex(data_bytes[b], 2, input.ConsumeBool());
          line += blank();
          if (b + 1 < data_bytes.size()) line += ",";
        }
        value = RegistryValue{type, std::vector<platform::BYTE>(data_bytes.begin(), data_bytes.end())};
        break;
      }
      default:
        line += "-";
        break;
    }
    line += blank();
    ours += line + end;
    expected[platform::UpcaseName(platform::Utf8ToUtf16(value_name))] = {value_name, value};
  }
  const std::string file = folder.Write("registry.reg", bytes + fuzz::EncodedText(ours, encoding).substr(mark));

  std::vector<std::string> reported;
  platform::HostRegistrySources sources;
  sources.built_in = "Windows Registry Editor Version 5.00\r\n";
  sources.user_file = file;
  const platform::RegistryTree tree =
      platform::BuildRegistryTree(sources, [&](const std::string& line) { reported.push_back(line); });
  const platform::RegistryKey* key = tree.FindKey(platform::HKEY_LOCAL_MACHINE, std::string(kKeyPath) + "\\" + name);
  Check(key != nullptr);
  for (const auto& [upper, entry] : expected) {
    const RegistryValue* found = key->FindValue(entry.first);
    Check(entry.second ? found && *found == *entry.second : found == nullptr);
  }

  // No line from the key's on is reported: its number is one more than the line ends before it.
  const std::u16string decoded = *platform::ReadTextFile(file);
  const std::u16string tail = platform::Utf8ToUtf16(ours);
  Check(decoded.ends_with(tail));
  const size_t start = decoded.size() - tail.size() + platform::Utf8ToUtf16(ours.substr(0, key_line)).size();
  size_t number = 1;
  for (size_t i = 0; i < start; ++i) {
    if (decoded[i] == u'\n' || (decoded[i] == u'\r' && decoded[i + 1] != u'\n')) ++number;
  }
  for (const std::string& line : reported) {
    Check(line.starts_with(file + ":"));
    Check(std::stoul(line.substr(file.size() + 1)) < number);
  }
  return 0;
}
