#include "platform/temp_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <vector>

namespace platform {
namespace {

constexpr const char* kFolderName = "orvo-nas-setup-wizard";

// A folder of this user, not a link, that nobody else may enter or change.
bool IsPrivateFolder(const std::string& path) {
  struct stat status {};
  return ::lstat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode) && status.st_uid == ::geteuid() &&
         (status.st_mode & 077) == 0;
}

// The folder, made for the user alone when it is missing; nothing when the name is taken.
std::optional<std::string> OwnFolder(const std::string& path) {
  if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return std::nullopt;
  if (!IsPrivateFolder(path)) return std::nullopt;
  return path;
}

std::string WithoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

}  // namespace

std::string PrivateTempFolderFor(const char* xdg_runtime_dir, const char* tmpdir) {
  if (xdg_runtime_dir && xdg_runtime_dir[0] == '/') {
    const std::string runtime = WithoutTrailingSlashes(xdg_runtime_dir);
    if (IsPrivateFolder(runtime) && ::access(runtime.c_str(), W_OK | X_OK) == 0) {
      if (const auto folder = OwnFolder(runtime + "/" + kFolderName)) return *folder + "/";
    }
  }
  const std::string base = WithoutTrailingSlashes(tmpdir && tmpdir[0] == '/' ? tmpdir : "/tmp");
  const std::string usual = (base == "/" ? "" : base) + "/" + kFolderName + "-" + std::to_string(::geteuid());
  if (const auto folder = OwnFolder(usual)) return *folder + "/";
  // Someone holds the name: a folder of a name nobody can foresee, made 0700 by mkdtemp.
  std::string pattern = usual + "-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  if (::mkdtemp(name.data())) {
    const std::string fresh(name.data());
    std::fprintf(stderr, "%s: %s is not a private folder of this user; temporary files go to %s\n", kFolderName,
                 usual.c_str(), fresh.c_str());
    return fresh + "/";
  }
  std::fprintf(stderr, "%s: no private temporary folder can be made in %s\n", kFolderName, base.c_str());
  return {};
}

std::string HostTempFolder() {
  static std::mutex mutex;
  static std::string xdg_seen, tmpdir_seen, folder;
  const char* xdg = std::getenv("XDG_RUNTIME_DIR");
  const char* tmpdir = std::getenv("TMPDIR");
  std::lock_guard<std::mutex> lock(mutex);
  // The folder found before serves while the variables stay and it is still private: a fresh
  // folder made because the usual one was taken is not made anew at every call.
  // (Checked without the trailing "/", with which lstat would follow a link.)
  if (!folder.empty() && xdg_seen == (xdg ? xdg : "") && tmpdir_seen == (tmpdir ? tmpdir : "") &&
      IsPrivateFolder(WithoutTrailingSlashes(folder))) {
    return folder;
  }
  xdg_seen = xdg ? xdg : "";
  tmpdir_seen = tmpdir ? tmpdir : "";
  folder = PrivateTempFolderFor(xdg, tmpdir);
  return folder;
}

}  // namespace platform
