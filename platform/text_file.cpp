#include "platform/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
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

FileBytes ReadFileBytes(const std::string& path) {
  FileBytes file;
  const auto unreadable = [&](const char* why) {
    file.status = FileBytes::Status::kUnreadable;
    file.bytes.clear();
    file.why = why;
  };
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    if (errno != ENOENT && errno != ENOTDIR) unreadable(std::strerror(errno));
    return file;
  }
  struct stat status {};
  if (::fstat(fd, &status) != 0) {
    unreadable(std::strerror(errno));
  } else if (!S_ISREG(status.st_mode)) {
    unreadable("not a regular file");
  } else {
    file.status = FileBytes::Status::kRead;
    std::string& bytes = file.bytes;
    // The size is a hint only: the file may change while it is read.
    bytes.resize(static_cast<size_t>(status.st_size) + 1);
    size_t used = 0;
    for (;;) {
      if (used == bytes.size()) bytes.resize(bytes.size() * 2);
      const ssize_t n = ::read(fd, bytes.data() + used, bytes.size() - used);
      if (n > 0) {
        used += static_cast<size_t>(n);
      } else if (n == 0) {
        bytes.resize(used);
        break;
      } else if (errno != EINTR) {
        unreadable(std::strerror(errno));
        break;
      }
    }
  }
  ::close(fd);
  return file;
}

std::optional<std::u16string> ReadTextFile(const std::string& path) {
  const FileBytes file = ReadFileBytes(path);
  if (file.status != FileBytes::Status::kRead) return std::nullopt;
  return DecodeText(file.bytes);
}

}  // namespace platform
