#include "platform/state_folder.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/exception.h"

namespace platform {
namespace {

constexpr const char* kFolderName = "orvo-nas-setup-wizard";

std::string HomeFromUserDatabase() {
  const passwd* entry = getpwuid(getuid());
  return entry && entry->pw_dir ? entry->pw_dir : "";
}

}  // namespace

std::string HomeFolder(const char* home) { return home && home[0] == '/' ? home : HomeFromUserDatabase(); }

std::string StateFolderFor(const char* xdg_state_home, const char* home) {
  if (xdg_state_home && xdg_state_home[0] == '/') return std::string(xdg_state_home) + "/" + kFolderName;
  const std::string base = HomeFolder(home);
  if (base.empty()) return {};
  return base + "/.local/state/" + kFolderName;
}

std::string StateFolderPath() { return StateFolderFor(std::getenv("XDG_STATE_HOME"), std::getenv("HOME")); }

std::string EnsureStateFolder() {
  const std::string path = StateFolderPath();
  if (path.empty()) throw Exception("no home folder for the program's state");
  std::error_code error;
  if (std::filesystem::create_directories(path, error)) {
    std::filesystem::permissions(path, std::filesystem::perms::owner_all, error);
  }
  if (error) throw Exception("cannot create the state folder " + path + ": " + error.message());
  return path;
}

}  // namespace platform
