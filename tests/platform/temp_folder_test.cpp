#include "platform/temp_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/code_page.h"
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

size_t FoldersBeside(const fs::path& base, const std::string& usual_name) {
  size_t count = 0;
  for (const auto& entry : fs::directory_iterator(base)) {
    count += entry.path().filename().string().starts_with(usual_name + "-");
  }
  return count;
}

// The folder a run made because the usual name was taken serves every later run, so runs leave
// no further folders behind; only a private folder of the user's is taken for it.
TEST(TempFolder, TheFolderMadeBesideATakenNameServesLaterRuns) {
  ScratchFolder scratch;
  const fs::path usual = scratch.path() / kUsualName;
  fs::create_directories(usual);
  fs::permissions(usual, fs::perms::all);
  // Names like a fresh folder's that are not the user's private folders: never taken.
  const fs::path open_one = scratch.path() / (kUsualName + "-AAAAAA");
  fs::create_directories(open_one);
  fs::permissions(open_one, fs::perms::all);
  const fs::path elsewhere = scratch.path() / "elsewhere";
  fs::create_directories(elsewhere);
  fs::permissions(elsewhere, fs::perms::owner_all);
  fs::create_directory_symlink(elsewhere, scratch.path() / (kUsualName + "-AAAAAB"));

  ::testing::internal::CaptureStderr();
  const std::string first = PrivateTempFolderFor(nullptr, scratch.path().c_str());
  ::testing::internal::GetCapturedStderr();
  ASSERT_TRUE(first.starts_with(usual.string() + "-")) << first;
  EXPECT_NE(first, open_one.string() + "/");
  EXPECT_EQ(Mode(first), S_IFDIR | 0700);
  EXPECT_EQ(FoldersBeside(scratch.path(), kUsualName), 3u);
  for (int run = 0; run < 3; ++run) {
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(PrivateTempFolderFor(nullptr, scratch.path().c_str()), first);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "orvo-nas-setup-wizard: " + usual.string() + " is not a private folder of this user; " +
                  "temporary files go to " + first.substr(0, first.size() - 1) + "\n");
  }
  EXPECT_EQ(FoldersBeside(scratch.path(), kUsualName), 3u);
  EXPECT_TRUE(fs::is_empty(elsewhere));

  // Once it is no longer private, it is not taken again either.
  fs::permissions(first, fs::perms::all);
  ::testing::internal::CaptureStderr();
  const std::string second = PrivateTempFolderFor(nullptr, scratch.path().c_str());
  ::testing::internal::GetCapturedStderr();
  EXPECT_NE(second, first);
  EXPECT_EQ(Mode(second), S_IFDIR | 0700);
}

// The program's paths are 8-bit texts in the code page: a folder whose name the code page cannot
// hold would be made and checked under its name but used under its "?" form. It is not used.
TEST(TempFolder, AFolderWhoseNameTheCodePageCannotHoldIsNotUsed) {
  ScratchFolder scratch;
  const fs::path runtime = scratch.path() / "run_\xE6\x97\xA5\xE6\x9C\xAC";  // "run_日本"
  fs::create_directories(runtime);
  fs::permissions(runtime, fs::perms::owner_all);
  const fs::path tmp = scratch.path() / "tmp";
  fs::create_directories(tmp);
  const fs::path japanese_tmp = scratch.path() / "ab_\xE6\x97\xA5\xE6\x9C\xAC";
  fs::create_directories(japanese_tmp);

  platform::SetSystemCodePage(932);  // Japanese holds the name
  EXPECT_EQ(PrivateTempFolderFor(runtime.c_str(), tmp.c_str()), (runtime / "orvo-nas-setup-wizard").string() + "/");
  EXPECT_EQ(PrivateTempFolderFor(nullptr, japanese_tmp.c_str()), (japanese_tmp / kUsualName).string() + "/");

  platform::SetSystemCodePage(1252);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(PrivateTempFolderFor(runtime.c_str(), tmp.c_str()), (tmp / kUsualName).string() + "/");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "orvo-nas-setup-wizard: the code page cannot hold the name of XDG_RUNTIME_DIR " + runtime.string() +
                "; it is not used\n");
  // TMPDIR gives way to /tmp (made there only if no run made it before).
  const fs::path in_tmp = fs::path("/tmp") / kUsualName;
  const bool existed = fs::exists(fs::symlink_status(in_tmp));
  ::testing::internal::CaptureStderr();
  const std::string folder = PrivateTempFolderFor(nullptr, japanese_tmp.c_str());
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_TRUE(folder.starts_with(in_tmp.string())) << folder;
  EXPECT_TRUE(said.starts_with("orvo-nas-setup-wizard: the code page cannot hold the name of TMPDIR " +
                               japanese_tmp.string() + "; /tmp is used\n"))
      << said;
  if (!existed && folder == in_tmp.string() + "/") fs::remove_all(in_tmp);
  platform::SetSystemCodePage(0);
}

}  // namespace
