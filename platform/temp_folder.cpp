#include "platform/temp_folder.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/ansi.h"
#include "platform/code_page.h"

namespace platform {
namespace {

constexpr const char* kFolderName = "orvo-nas-setup-wizard";
// What mkdtemp puts after the usual name: "-" and six letters or digits.
constexpr size_t kFreshSuffixLength = 7;

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

// The program's paths are 8-bit texts in the code page: a folder whose name it cannot hold would
// be checked under one name and used under another (its "?" form).
bool CodePageHolds(const std::string& path) { return FromAnsi(ToAnsi(path)) == path; }

bool IsFreshName(const std::string& name, const std::string& usual) {
  if (name.size() != usual.size() + kFreshSuffixLength || name.compare(0, usual.size(), usual) != 0 ||
      name[usual.size()] != '-') {
    return false;
  }
  return std::all_of(name.begin() + static_cast<long>(usual.size()) + 1, name.end(),
                     [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); });
}

// The private folders beside the usual name that earlier runs made when it was taken, first by
// name: every run of the user picks the same one, so no run leaves a further one behind.
std::optional<std::string> FirstFreshFolder(const std::string& base, const std::string& usual_name) {
  DIR* folder = ::opendir(base.c_str());
  if (!folder) return std::nullopt;
  std::vector<std::string> names;
  while (const dirent* entry = ::readdir(folder)) {
    if (IsFreshName(entry->d_name, usual_name)) names.emplace_back(entry->d_name);
  }
  ::closedir(folder);
  std::sort(names.begin(), names.end());
  const std::string prefix = base == "/" ? "/" : base + "/";
  for (const std::string& name : names) {
    if (IsPrivateFolder(prefix + name)) return prefix + name;
  }
  return std::nullopt;
}

void Tell(const std::string& usual, const std::string& used) {
  std::fprintf(stderr, "%s: %s is not a private folder of this user; temporary files go to %s\n", kFolderName,
               usual.c_str(), used.c_str());
}

}  // namespace

std::string PrivateTempFolderFor(const char* xdg_runtime_dir, const char* tmpdir) {
  if (xdg_runtime_dir && xdg_runtime_dir[0] == '/') {
    const std::string runtime = WithoutTrailingSlashes(xdg_runtime_dir);
    if (!CodePageHolds(runtime)) {
      std::fprintf(stderr, "%s: the code page cannot hold the name of XDG_RUNTIME_DIR %s; it is not used\n",
                   kFolderName, runtime.c_str());
    } else if (IsPrivateFolder(runtime) && ::access(runtime.c_str(), W_OK | X_OK) == 0) {
      if (const auto folder = OwnFolder(runtime + "/" + kFolderName)) return *folder + "/";
    }
  }
  std::string base = WithoutTrailingSlashes(tmpdir && tmpdir[0] == '/' ? tmpdir : "/tmp");
  if (!CodePageHolds(base)) {
    std::fprintf(stderr, "%s: the code page cannot hold the name of TMPDIR %s; /tmp is used\n", kFolderName,
                 base.c_str());
    base = "/tmp";
  }
  const std::string usual_name = std::string(kFolderName) + "-" + std::to_string(::geteuid());
  const std::string usual = (base == "/" ? "" : base) + "/" + usual_name;
  if (const auto folder = OwnFolder(usual)) return *folder + "/";
  // Someone holds the name: the folder an earlier run made beside it, else a new one of a name
  // nobody can foresee, made 0700 by mkdtemp.
  if (const auto earlier = FirstFreshFolder(base, usual_name)) {
    Tell(usual, *earlier);
    return *earlier + "/";
  }
  std::string pattern = usual + "-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  if (::mkdtemp(name.data())) {
    std::string fresh(name.data());
    // A run that made one at the same moment settles on the same folder as this one.
    if (const auto first = FirstFreshFolder(base, usual_name); first && *first != fresh) {
      ::rmdir(fresh.c_str());
      fresh = *first;
    }
    Tell(usual, fresh);
    return fresh + "/";
  }
  std::fprintf(stderr, "%s: no private temporary folder can be made in %s\n", kFolderName, base.c_str());
  return {};
}

std::string HostTempFolder() {
  static std::mutex mutex;
  static std::string xdg_seen, tmpdir_seen, folder;
  static int code_page_seen = 0;
  const char* xdg = std::getenv("XDG_RUNTIME_DIR");
  const char* tmpdir = std::getenv("TMPDIR");
  const int code_page = SystemCodePage();
  std::lock_guard<std::mutex> lock(mutex);
  // The folder found before serves while the variables and the code page stay and it is still
  // private. (Checked without the trailing "/", with which lstat would follow a link.)
  if (!folder.empty() && xdg_seen == (xdg ? xdg : "") && tmpdir_seen == (tmpdir ? tmpdir : "") &&
      code_page_seen == code_page && IsPrivateFolder(WithoutTrailingSlashes(folder))) {
    return folder;
  }
  xdg_seen = xdg ? xdg : "";
  tmpdir_seen = tmpdir ? tmpdir : "";
  code_page_seen = code_page;
  folder = PrivateTempFolderFor(xdg, tmpdir);
  return folder;
}

}  // namespace platform
