#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace platform {

// GetPrivateProfileStringW: the value of `key` in `section` of the profile file at `path`, or
// `default_value` when the file, the section or the key is missing. Names, value and result are
// UTF-8; the result holds at most buffer_chars - 1 UTF-16 units, as the caller's buffer would.
// The file is read anew on every call and never written.
//
// The file: lines end with CR LF, LF or CR, and blanks (space, tab, vertical tab, form feed) at
// both ends of a line do not count. A line starting with ";" is a comment. A line starting with
// "[" and holding a "]" heads a section named by the text between them (blanks around it do not
// count); whatever follows the "]" is ignored. Any other line in a section is a key line: the
// key is the text before the first "=", the value the text after it, both without the blanks
// around them; a key line without "=" has no value, so reading its key gives the default. Lines
// before the first section belong to none.
//
// The lookup: section and key names are matched without regard to letter case and without the
// blanks around them; an empty section or key name matches nothing. The first section of the
// name counts, and the first key of the name in it. A value enclosed in a pair of the same quote
// character (" or ') loses that pair; other quotes stay, and a ";" inside a value is part of it.
// A value ends at a NUL character. The default is given back as it is.
std::string GetPrivateProfileString(std::string_view section, std::string_view key, std::string_view default_value,
                                    size_t buffer_chars, const std::string& path);

// One reading of a profile file: read and decoded once, its sections and keys found in one pass,
// every lookup by the rules above.
class ProfileFile {
 public:
  // The file as it is now; one that cannot be read is empty.
  static ProfileFile Read(const std::string& path);

  // What GetPrivateProfileString gives for this reading of the file.
  std::string GetString(std::string_view section, std::string_view key, std::string_view default_value,
                        size_t buffer_chars) const;

 private:
  struct Span {
    size_t start = 0;
    size_t size = 0;
  };
  // Names by their upper-case form: two names match exactly when those are equal. A key's value
  // is missing for a key line without "=".
  using Keys = std::unordered_map<std::u16string, std::optional<Span>>;

  std::u16string text_;
  std::unordered_map<std::u16string, Keys> sections_;
};

// The profile reader of a file that reads it again only when it has changed since (another
// path, size, modification time or file), as the platform keeps the last profile it read. One
// thread at a time.
class ProfileReader {
 public:
  explicit ProfileReader(std::string path) : path_(std::move(path)) {}
  const std::string& path() const { return path_; }
  std::string GetString(std::string_view section, std::string_view key, std::string_view default_value,
                        size_t buffer_chars);

 private:
  struct Stamp {
    bool exists = false;
    unsigned long long device = 0, inode = 0, size = 0;
    long long seconds = 0, nanoseconds = 0;
    friend bool operator==(const Stamp&, const Stamp&) = default;
  };
  static Stamp StampOf(const std::string& path);

  std::string path_;
  std::optional<Stamp> stamp_;
  ProfileFile file_;
};

}  // namespace platform
