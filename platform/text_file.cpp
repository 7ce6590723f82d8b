#include "platform/text_file.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string_view>

#include "platform/unicode.h"

namespace platform {
namespace {

std::u16string DecodeUtf16(std::string_view bytes, bool big_endian) {
  std::u16string wide;
  wide.reserve(bytes.size() / 2 + 1);
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto first = static_cast<unsigned char>(bytes[i]);
    const auto second = static_cast<unsigned char>(bytes[i + 1]);
    wide.push_back(static_cast<char16_t>(big_endian ? (first << 8) | second : (second << 8) | first));
  }
  if (bytes.size() % 2) wide.push_back(u'\uFFFD');  // half a unit at the end
  // Lone surrogates become U+FFFD as they would on the way to UTF-8.
  return Utf8ToUtf16(Utf16ToUtf8(wide));
}

}  // namespace

std::u16string DecodeText(std::string_view bytes) {
  if (bytes.starts_with("\xFF\xFE")) return DecodeUtf16(bytes.substr(2), false);
  if (bytes.starts_with("\xFE\xFF")) return DecodeUtf16(bytes.substr(2), true);
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  return Utf8ToUtf16(bytes);
}

std::optional<std::u16string> ReadTextFile(const std::string& path) {
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (in.bad()) return std::nullopt;
  return DecodeText(bytes.view());
}

}  // namespace platform
