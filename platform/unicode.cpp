#include "platform/unicode.h"

#include <unicode/uchar.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <stdexcept>

namespace platform {
namespace {

constexpr UChar32 kReplacement = 0xFFFD;

void Check(UErrorCode status, const char* what) {
  if (U_FAILURE(status)) throw std::runtime_error(std::string(what) + ": " + u_errorName(status));
}

}  // namespace

std::u16string Utf8ToUtf16(std::string_view utf8) {
  if (utf8.empty()) return {};
  // One pass into room for the longest result: no byte gives more than one UTF-16 unit (a
  // four-byte character gives two, a bad sequence one replacement).
  std::u16string out(utf8.size(), u'\0');
  UErrorCode status = U_ZERO_ERROR;
  int32_t length = 0;
  u_strFromUTF8WithSub(reinterpret_cast<UChar*>(out.data()), static_cast<int32_t>(out.size()), &length, utf8.data(),
                       static_cast<int32_t>(utf8.size()), kReplacement, nullptr, &status);
  Check(status, "UTF-8 to UTF-16");
  out.resize(static_cast<size_t>(length));
  return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
  if (utf16.empty()) return {};
  const auto* in = reinterpret_cast<const UChar*>(utf16.data());
  const auto in_length = static_cast<int32_t>(utf16.size());
  UErrorCode status = U_ZERO_ERROR;
  int32_t length = 0;
  u_strToUTF8WithSub(nullptr, 0, &length, in, in_length, kReplacement, nullptr, &status);
  if (status == U_BUFFER_OVERFLOW_ERROR) status = U_ZERO_ERROR;
  Check(status, "UTF-16 to UTF-8");
  std::string out(static_cast<size_t>(length), '\0');
  u_strToUTF8WithSub(out.data(), length, nullptr, in, in_length, kReplacement, nullptr, &status);
  Check(status, "UTF-16 to UTF-8");
  return out;
}

std::u16string UpcaseName(std::u16string_view name) {
  std::u16string out(name);
  for (char16_t& c : out) {
    if (!U16_IS_SURROGATE(c)) c = static_cast<char16_t>(u_toupper(c));
  }
  return out;
}

bool NamesEqual(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i] == b[i]) continue;
    if (U16_IS_SURROGATE(a[i]) || U16_IS_SURROGATE(b[i]) || u_toupper(a[i]) != u_toupper(b[i])) return false;
  }
  return true;
}

bool IsControlCharacter(char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }

bool HasControlCharacter(std::string_view text) { return std::any_of(text.begin(), text.end(), IsControlCharacter); }

}  // namespace platform
