#include "platform/temp_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "scratch_folder.h"

namespace {

namespace fs = std::filesystem;
using platform::PrivateTempFolderFor;

const std::string kUsualName = "orvo-nas-setup-wizard-" + std::to_string(::geteuid());

unsigned Mode(const std::string& path) {
  struct stat status {};
  return ::lstat(path.c_str(), &status) == 0 ? status.st_mode & (S_IFMT | 07777) : 0;
}

TEST(TempFolder, APrivateFolderInTheRuntimeFolderElseInTmpdir) {
  ScratchFolder scratch;
  const fs::path runtime = scratch.path() / "run";
  fs::create_directories(runtime);
  fs::permissions(runtime, fs::perms::owner_all);
  const fs::path open_runtime = scratch.path() / "open-run";
  fs::create_directories(open_runtime);
  fs::permissions(open_runtime, fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
  fs::create_directory_symlink(runtime, scratch.path() / "linked-run");
  const fs::path tmp = scratch.path() / "tmp";
  fs::create_directories(tmp);

  const std::string in_runtime = (runtime / "orvo-nas-setup-wizard").string() + "/";
  const std::string in_tmp = (tmp / kUsualName).string() + "/";
  const struct {
    std::string xdg;
    std::string tmpdir;
    std::string folder;
  } cases[] = {
      {runtime.string(), tmp.string(), in_runtime},
      {runtime.string() + "/", tmp.string() + "/", in_runtime},
      {"", tmp.string(), in_tmp},
      {"run", tmp.string(), in_tmp},                                     // not an absolute path
      {open_runtime.string(), tmp.string(), in_tmp},                     // others may enter it
      {(scratch.path() / "linked-run").string(), tmp.string(), in_tmp},  // a link
      {(scratch.path() / "missing").string(), tmp.string(), in_tmp},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.xdg);
    EXPECT_EQ(PrivateTempFolderFor(c.xdg.empty() ? nullptr : c.xdg.c_str(), c.tmpdir.c_str()), c.folder);
    EXPECT_EQ(Mode(c.folder), S_IFDIR | 0700);
    // Found again as it is.
    EXPECT_EQ(PrivateTempFolderFor(c.xdg.empty() ? nullptr : c.xdg.c_str(), c.tmpdir.c_str()), c.folder);
  }
}

// What stands under the usual name is left alone; a fresh folder of the user's is made beside it.
TEST(TempFolder, ATakenNameGivesAFreshFolderAndALine) {
  ScratchFolder scratch;
  const fs::path usual = scratch.path() / kUsualName;
  const fs::path elsewhere = scratch.path() / "elsewhere";
  fs::create_directories(elsewhere);
  fs::permissions(elsewhere, fs::perms::owner_all);
  enum class Taken { kLink, kFile, kOpenFolder };
  for (const Taken taken : {Taken::kLink, Taken::kFile, Taken::kOpenFolder}) {
    SCOPED_TRACE(static_cast<int>(taken));
    switch (taken) {
      case Taken::kLink:
        fs::create_directory_symlink(elsewhere, usual);
        break;
      case Taken::kFile:
        scratch.Write(kUsualName, "a file");
        break;
      case Taken::kOpenFolder:
        fs::create_directories(usual);
        fs::permissions(usual, fs::perms::all);
        break;
    }
    ::testing::internal::CaptureStderr();
    const std::string folder = PrivateTempFolderFor(nullptr, scratch.path().c_str());
    const std::string line = ::testing::internal::GetCapturedStderr();
    ASSERT_TRUE(folder.starts_with(usual.string() + "-")) << folder;
    EXPECT_EQ(folder.back(), '/');
    EXPECT_EQ(Mode(folder), S_IFDIR | 0700);
    EXPECT_EQ(line, "orvo-nas-setup-wizard: " + usual.string() + " is not a private folder of this user; " +
                        "temporary files go to " + folder.substr(0, folder.size() - 1) + "\n");
    EXPECT_TRUE(fs::exists(fs::symlink_status(usual)));
    EXPECT_TRUE(fs::is_empty(elsewhere));
    fs::remove_all(folder);
    fs::remove(usual);
  }
}

}  // namespace
