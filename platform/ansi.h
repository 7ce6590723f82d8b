#pragma once

#include <compare>
#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// 8-bit text in the system's ANSI code page: the program's AnsiString. It only holds bytes;
// text in UTF-8 (captions, file contents) becomes one through ToAnsi and back through FromAnsi,
// never by copying the bytes across.
class AnsiString {
 public:
  AnsiString() = default;
  explicit AnsiString(std::string bytes) : bytes_(std::move(bytes)) {}
  explicit AnsiString(const char* bytes) : bytes_(bytes) {}

  const std::string& bytes() const { return bytes_; }
  const char* c_str() const { return bytes_.c_str(); }
  size_t size() const { return bytes_.size(); }
  bool empty() const { return bytes_.empty(); }

  friend bool operator==(const AnsiString&, const AnsiString&) = default;
  friend std::strong_ordering operator<=>(const AnsiString&, const AnsiString&) = default;

  AnsiString& operator+=(const AnsiString& other) {
    bytes_ += other.bytes_;
    return *this;
  }
  friend AnsiString operator+(AnsiString left, const AnsiString& right) { return left += right; }

 private:
  std::string bytes_;
};

// UTF-8 to the system's code page (or the one given), as WideCharToMultiByte does it without
// flags and without a default character, except that there is no best-fit mapping: every UTF-16
// unit of a character that the code page lacks becomes "?" (so a character beyond the BMP
// becomes "??"). Bytes that are not UTF-8 become "?" too.
AnsiString ToAnsi(std::string_view utf8);
AnsiString ToAnsi(std::string_view utf8, int code_page);

// Back to UTF-8, as MultiByteToWideChar does it: a byte sequence that the code page does not
// define becomes "?".
std::string FromAnsi(const AnsiString& text);
std::string FromAnsi(const AnsiString& text, int code_page);

}  // namespace platform
