#include "platform/ansi.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>

#include <memory>
#include <stdexcept>
#include <string>

#include "platform/code_page.h"
#include "platform/unicode.h"

namespace platform {
namespace {

struct CloseConverter {
  void operator()(UConverter* c) const { ucnv_close(c); }
};
using Converter = std::unique_ptr<UConverter, CloseConverter>;

void Check(UErrorCode status, const char* what) {
  if (U_FAILURE(status)) throw std::runtime_error(std::string(what) + ": " + u_errorName(status));
}

// One "?" for every UTF-16 unit that has no mapping.
void QuestionMarkPerUnit(const void*, UConverterFromUnicodeArgs* args, const UChar*, int32_t length, UChar32,
                         UConverterCallbackReason reason, UErrorCode* status) {
  if (reason > UCNV_IRREGULAR) return;  // reset, close and clone need nothing
  *status = U_ZERO_ERROR;
  const std::string marks(static_cast<size_t>(length), '?');
  ucnv_cbFromUWriteBytes(args, marks.data(), length, 0, status);
}

void QuestionMarkPerSequence(const void*, UConverterToUnicodeArgs* args, const char*, int32_t,
                             UConverterCallbackReason reason, UErrorCode* status) {
  if (reason > UCNV_IRREGULAR) return;
  *status = U_ZERO_ERROR;
  const UChar mark = u'?';
  ucnv_cbToUWriteUChars(args, &mark, 1, 0, status);
}

Converter Open(int code_page) {
  if (!IsAnsiCodePage(code_page)) throw std::invalid_argument("not an ANSI code page: " + std::to_string(code_page));
  UErrorCode status = U_ZERO_ERROR;
  Converter c(ucnv_open(("windows-" + std::to_string(code_page)).c_str(), &status));
  Check(status, "opening a code page converter");
  ucnv_setFallback(c.get(), false);
  ucnv_setFromUCallBack(c.get(), QuestionMarkPerUnit, nullptr, nullptr, nullptr, &status);
  ucnv_setToUCallBack(c.get(), QuestionMarkPerSequence, nullptr, nullptr, nullptr, &status);
  Check(status, "setting up a code page converter");
  return c;
}

}  // namespace

AnsiString ToAnsi(std::string_view utf8) { return ToAnsi(utf8, SystemCodePage()); }

AnsiString ToAnsi(std::string_view utf8, int code_page) {
  Converter c = Open(code_page);
  if (utf8.empty()) return AnsiString();
  // Bad UTF-8 arrives as U+FFFD, which no ANSI code page holds, so it becomes "?" as well.
  const std::u16string wide = Utf8ToUtf16(utf8);
  const auto* in = reinterpret_cast<const UChar*>(wide.data());
  const auto in_length = static_cast<int32_t>(wide.size());
  UErrorCode status = U_ZERO_ERROR;
  const int32_t length = ucnv_fromUChars(c.get(), nullptr, 0, in, in_length, &status);
  if (status == U_BUFFER_OVERFLOW_ERROR) status = U_ZERO_ERROR;
  Check(status, "converting to the ANSI code page");
  std::string bytes(static_cast<size_t>(length), '\0');
  ucnv_fromUChars(c.get(), bytes.data(), length, in, in_length, &status);
  if (status == U_STRING_NOT_TERMINATED_WARNING) status = U_ZERO_ERROR;
  Check(status, "converting to the ANSI code page");
  return AnsiString(std::move(bytes));
}

std::string FromAnsi(const AnsiString& text) { return FromAnsi(text, SystemCodePage()); }

std::string FromAnsi(const AnsiString& text, int code_page) {
  Converter c = Open(code_page);
  if (text.empty()) return {};
  const std::string& in = text.bytes();
  const auto in_length = static_cast<int32_t>(in.size());
  UErrorCode status = U_ZERO_ERROR;
  const int32_t length = ucnv_toUChars(c.get(), nullptr, 0, in.data(), in_length, &status);
  if (status == U_BUFFER_OVERFLOW_ERROR) status = U_ZERO_ERROR;
  Check(status, "converting from the ANSI code page");
  std::u16string wide(static_cast<size_t>(length), u'\0');
  ucnv_toUChars(c.get(), reinterpret_cast<UChar*>(wide.data()), length, in.data(), in_length, &status);
  if (status == U_STRING_NOT_TERMINATED_WARNING) status = U_ZERO_ERROR;
  Check(status, "converting from the ANSI code page");
  return Utf16ToUtf8(wide);
}

}  // namespace platform
