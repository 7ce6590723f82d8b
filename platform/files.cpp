#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "platform/ansi.h"
#include "platform/drives.h"
#include "platform/last_error.h"
#include "platform/unicode.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

std::optional<std::string> RootOf(char letter) {
  Drives& drives = CurrentDrives();
  for (const LocalDrive& d : drives.LocalDrives()) {
    if (d.letter == letter) return d.root.empty() ? std::nullopt : std::optional(d.root);
  }
  std::string remote;
  drives.WithConnections([&](ConnectionTable& t) -> DWORD {
    if (const NetworkConnection* c = t.ConnectedOn(letter)) remote = c->remote_name;
    return ERROR_SUCCESS;
  });
  if (remote.empty()) return std::nullopt;
  return drives.ShareFolder(remote);
}

// The entry of `folder` named `name`: the exact one when it exists, else one that differs only
// in letter case, else the name as given (a file about to be made).
fs::path Lookup(const fs::path& folder, const std::string& name) {
  std::error_code error;
  if (name == "." || name == ".." || fs::exists(folder / name, error)) return folder / name;
  const std::u16string wanted = Utf8ToUtf16(name);
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    if (NamesEqual(Utf8ToUtf16(it->path().filename().string()), wanted)) return it->path();
  }
  return folder / name;
}

}  // namespace

std::optional<std::string> HostPathOf(const std::string& path) {
  if (path.size() < 2 || path[1] != ':' || DriveLetterOf(path.substr(0, 2)) == 0) return path;
  std::optional<std::string> root = RootOf(DriveLetterOf(path.substr(0, 2)));
  if (!root) return std::nullopt;
  fs::path host(*root);
  size_t start = 2;
  while (start < path.size()) {
    size_t end = path.find_first_of("\\/", start);
    if (end == std::string::npos) end = path.size();
    if (end > start) host = Lookup(host, path.substr(start, end - start));
    start = end + 1;
  }
  return host.string();
}

namespace {

std::optional<std::string> HostPathOfAnsi(const char* path) {
  if (!path) return std::nullopt;
  return HostPathOf(FromAnsi(AnsiString(path)));
}

}  // namespace

bool DirectoryExists(const char* lpPathName) {
  const auto host = HostPathOfAnsi(lpPathName);
  std::error_code error;
  return host && fs::is_directory(*host, error);
}

BOOL DeleteFile(const char* lpFileName) {
  const auto host = HostPathOfAnsi(lpFileName);
  if (!host) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return 0;
  }
  std::error_code error;
  const fs::file_status status = fs::symlink_status(*host, error);
  if (!fs::exists(status)) {
    SetLastError(fs::is_directory(fs::path(*host).parent_path(), error) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
    return 0;
  }
  if (fs::is_directory(status) || !fs::remove(*host, error)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return 0;
  }
  return 1;
}

std::FILE* OpenFile(const char* lpFileName, const char* mode) {
  const auto host = HostPathOfAnsi(lpFileName);
  if (!host) {
    errno = ENOENT;
    return nullptr;
  }
  std::string host_mode;
  for (const char* m = mode; *m; ++m) {
    if (*m != 't') host_mode.push_back(*m);
  }
  return OpenRegularFile(*host, host_mode.c_str());
}

std::FILE* OpenRegularFile(const std::string& host_path, const char* mode) {
  const std::string_view m(mode ? mode : "");
  if (m != "r" && m != "w" && m != "a") {
    errno = EINVAL;
    return nullptr;
  }
  // Non-blocking, so that a FIFO neither holds the open nor takes a writer's bytes; the file is
  // emptied by hand, after the check, since O_TRUNC would empty what is then refused.
  int flags = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
  flags |= m == "r" ? O_RDONLY : m == "w" ? O_WRONLY | O_CREAT : O_WRONLY | O_CREAT | O_APPEND;
  const int fd = ::open(host_path.c_str(), flags, 0666);
  if (fd < 0) return nullptr;
  struct stat status {};
  int error = 0;
  if (::fstat(fd, &status) != 0) {
    error = errno;
  } else if (!S_ISREG(status.st_mode)) {
    error = EACCES;
  } else if ((m == "w" && ::ftruncate(fd, 0) != 0) || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    error = errno;
  }
  std::FILE* file = error ? nullptr : ::fdopen(fd, mode);
  if (!file) {
    if (!error) error = errno;
    ::close(fd);
    errno = error;
  }
  return file;
}

DWORD GetTempPathA(DWORD nBufferLength, char* lpBuffer) {
  const std::string folder = CurrentDrives().TempFolder();
  const AnsiString ansi = ToAnsi(folder);
  // A folder the code page cannot name would be reached under another name (its "?" form).
  const std::string path = FromAnsi(ansi) == folder ? ansi.bytes() : std::string();
  if (path.empty()) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return 0;
  }
  if (!lpBuffer || nBufferLength < path.size() + 1) return static_cast<DWORD>(path.size() + 1);
  std::memcpy(lpBuffer, path.c_str(), path.size() + 1);
  return static_cast<DWORD>(path.size());
}

}  // namespace platform
