#include "platform/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/last_error.h"
#include "scratch_folder.h"
#include "sim/sim_drives.h"

namespace {

using namespace platform;

class FilesTest : public ::testing::Test {
 protected:
  FilesTest() {
    std::filesystem::create_directories(disc_.path() / "Software Add-ins" / "Tools");
    drives_.SetLocalDrive('E', DRIVE_CDROM, disc_.path().string());
    drives_.SetLocalDrive('F', DRIVE_CDROM);  // no disc
    drives_.SetTempFolder(temp_.path().string());
    InstallDrives(&drives_);
  }
  ~FilesTest() override { InstallDrives(nullptr); }

  ScratchFolder disc_;
  ScratchFolder temp_;
  sim::SimDrives drives_;
};

TEST_F(FilesTest, DrivePathsReachTheFolderBehindTheLetter) {
  const struct {
    const char* path;
    bool exists;
  } cases[] = {
      {"E:\\Software Add-ins", true},
      {"e:\\software add-ins", true},
      {"E:/SOFTWARE ADD-INS/tools", true},
      {"E:\\Software Add-ins\\", true},
      {"E:\\", true},
      {"E:\\Other", false},
      {"F:\\Software Add-ins", false},
      {"Z:\\Software Add-ins", false},
      {"C:\\Software Add-ins", false},
  };
  for (const auto& c : cases) EXPECT_EQ(DirectoryExists(c.path), c.exists) << c.path;
  EXPECT_EQ(HostPathOf("e:\\software add-ins\\tools"), (disc_.path() / "Software Add-ins" / "Tools").string());
  EXPECT_EQ(HostPathOf("/tmp/x"), "/tmp/x");
  EXPECT_EQ(HostPathOf("F:\\x"), std::nullopt);
}

TEST_F(FilesTest, DeleteFileTellsWhyItFailed) {
  const std::string file = temp_.Write("pingGateway.txt", "Reply");
  ASSERT_TRUE(DeleteFile(file.c_str()));
  EXPECT_FALSE(std::filesystem::exists(file));
  const struct {
    std::string path;
    DWORD error;
  } cases[] = {
      {file, ERROR_FILE_NOT_FOUND},
      {temp_.File("missing/pingGateway.txt"), ERROR_PATH_NOT_FOUND},
      {temp_.path().string(), ERROR_ACCESS_DENIED},
      {"Z:\\pingGateway.txt", ERROR_PATH_NOT_FOUND},
  };
  for (const auto& c : cases) {
    SetLastError(0);
    EXPECT_FALSE(DeleteFile(c.path.c_str())) << c.path;
    EXPECT_EQ(GetLastError(), c.error) << c.path;
  }
}

TEST_F(FilesTest, TempPathAndItsBufferRule) {
  const std::string expected = temp_.path().string() + "/";
  char buffer[512] = {};
  EXPECT_EQ(GetTempPathA(sizeof buffer, buffer), expected.size());
  EXPECT_EQ(buffer, expected);
  char small[4] = {};
  EXPECT_EQ(GetTempPathA(sizeof small, small), expected.size() + 1);
  EXPECT_STREQ(small, "");
  const std::string file = temp_.Write("out.txt", "line\n");
  std::FILE* f = OpenFile(file.c_str(), "rt");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  EXPECT_EQ(OpenFile("F:\\out.txt", "rt"), nullptr);
}

TEST_F(FilesTest, OpenFileTakesOnlyARegularFileAndNeverWaits) {
  const std::string victim = temp_.Write("victim.txt", "TTL=64");
  std::filesystem::create_symlink(victim, temp_.File("pingLink.txt"));
  ASSERT_EQ(::mkfifo(temp_.File("pingFifo.txt").c_str(), 0600), 0);
  const struct {
    std::string path;
    const char* mode;
    int error;
  } cases[] = {
      {temp_.File("pingLink.txt"), "rt", ELOOP},
      {temp_.File("pingLink.txt"), "w", ELOOP},
      {temp_.File("pingFifo.txt"), "rt", EACCES},
      {temp_.File("pingFifo.txt"), "w", ENXIO},
      {temp_.path().string(), "rt", EACCES},
      {temp_.File("missing.txt"), "rt", ENOENT},
      {victim, "r+", EINVAL},
  };
  for (const auto& c : cases) {
    errno = 0;
    EXPECT_EQ(OpenFile(c.path.c_str(), c.mode), nullptr) << c.path << " " << c.mode;
    EXPECT_EQ(errno, c.error) << c.path << " " << c.mode;
  }
  // A regular file is emptied for writing, appended to, read.
  std::FILE* f = OpenFile(victim.c_str(), "w");
  ASSERT_NE(f, nullptr);
  std::fputs("Reply", f);
  std::fclose(f);
  f = OpenFile(victim.c_str(), "a");
  ASSERT_NE(f, nullptr);
  std::fputs(" TTL=1", f);
  std::fclose(f);
  f = OpenFile(victim.c_str(), "rt");
  ASSERT_NE(f, nullptr);
  char text[32] = {};
  ASSERT_NE(std::fgets(text, sizeof text, f), nullptr);
  std::fclose(f);
  EXPECT_STREQ(text, "Reply TTL=1");
}

}  // namespace
