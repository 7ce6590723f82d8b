#include <gtest/gtest.h>

#include <filesystem>

#include "platform/exe_path.h"
#include "platform/state_folder.h"

namespace {

TEST(ExecutablePath, IsThisProgramWhateverTheWorkingFolder) {
  const auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(std::filesystem::temp_directory_path());
  const std::string path = platform::ExecutablePath();
  const std::string folder = platform::ExecutableFolder();
  std::filesystem::current_path(cwd);
  EXPECT_EQ(std::filesystem::path(path).filename(), "platform_host_paths_test");
  EXPECT_TRUE(std::filesystem::path(path).is_absolute());
  EXPECT_EQ(folder + "platform_host_paths_test", path);
  EXPECT_EQ(folder.back(), '/');
}

TEST(StateFolder, XdgStateHomeThenTheHomeFolder) {
  EXPECT_EQ(platform::StateFolderFor("/var/state", "/home/ann"), "/var/state/orvo-nas-setup-wizard");
  EXPECT_EQ(platform::StateFolderFor("", "/home/ann"), "/home/ann/.local/state/orvo-nas-setup-wizard");
  EXPECT_EQ(platform::StateFolderFor("relative/state", "/home/ann"), "/home/ann/.local/state/orvo-nas-setup-wizard")
      << "a relative XDG_STATE_HOME does not count";
  EXPECT_EQ(platform::StateFolderFor(nullptr, "/home/ann"), "/home/ann/.local/state/orvo-nas-setup-wizard");
  const std::string from_user_database = platform::StateFolderFor(nullptr, nullptr);
  EXPECT_TRUE(from_user_database.empty() || from_user_database.ends_with("/.local/state/orvo-nas-setup-wizard"));
}

}  // namespace
