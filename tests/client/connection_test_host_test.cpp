// The reachability test's files on a PC with two users: the wizard runs as one of them while the
// other prepared the shared temporary folder.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "child_process.h"
#include "scratch_folder.h"

namespace {

namespace fs = std::filesystem;

constexpr uid_t kWizardUser = 65534;  // nobody
constexpr uid_t kOtherUser = 65533;
const std::string kReply = "Reply from 192.168.1.1: bytes=32 time<1ms TTL=64\r\n";

std::string Read(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class TwoUsersTest : public ::testing::Test {
 protected:
  TwoUsersTest() {
    if (::geteuid() != 0) return;
    // A folder like /tmp: everyone may make files, only their owner may delete them.
    fs::permissions(shared_.path(), fs::perms::all | fs::perms::sticky_bit);
    fs::permissions(home_.path(), fs::perms::owner_all);
    ::chown(home_.path().c_str(), kWizardUser, kWizardUser);
    victim_ = home_.Write("notes.txt", "the wizard user's own notes");
    ::chown(victim_.c_str(), kWizardUser, kWizardUser);
  }
  void SetUp() override {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as two users";
  }

  enum class Planted { kNothing, kFile, kLink, kFifo, kForeignFolder };
  // Something of the other user's under the name of the wizard's gateway log, and where it is;
  // the foreign folder takes the name of the wizard user's own folder and holds a log.
  fs::path Plant(Planted planted) {
    fs::path path = Shared("pingGateway.txt");
    switch (planted) {
      case Planted::kNothing:
        return path;
      case Planted::kFile:
        std::ofstream(path) << kReply;
        break;
      case Planted::kLink:
        fs::create_symlink(victim_, path);
        break;
      case Planted::kFifo:
        EXPECT_EQ(::mkfifo(path.c_str(), 0666), 0);
        break;
      case Planted::kForeignFolder:
        fs::create_directories(UsualFolder());
        fs::permissions(UsualFolder(), fs::perms::all);
        ::lchown(UsualFolder().c_str(), kOtherUser, kOtherUser);
        path = UsualFolder() / "pingGateway.txt";
        std::ofstream(path) << kReply;
        break;
    }
    ::lchown(path.c_str(), kOtherUser, kOtherUser);
    return path;
  }
  fs::path Shared(const std::string& name) const { return shared_.path() / name; }
  fs::path UsualFolder() const { return Shared("orvo-nas-setup-wizard-" + std::to_string(kWizardUser)); }

  struct Outcome {
    std::string folder;
    std::string result;
  };
  // Runs the wizard's reachability test as the wizard user, with the gateway and no DNS given.
  Outcome RunWizard(const std::vector<std::string>& extra, const std::string& tmpdir = "") {
    std::vector<std::string> command = {"setpriv",
                                        "--reuid=" + std::to_string(kWizardUser),
                                        "--regid=" + std::to_string(kWizardUser),
                                        "--clear-groups",
                                        "env",
                                        "-u",
                                        "XDG_RUNTIME_DIR",
                                        "LC_ALL=C",
                                        "HOME=" + home_.path().string(),
                                        "TMPDIR=" + (tmpdir.empty() ? shared_.path().string() : tmpdir),
                                        CONNECTION_TEST_INSTANCE,
                                        "192.168.1.1",
                                        "..."};
    command.insert(command.end(), extra.begin(), extra.end());
    ChildProcess wizard(command);
    Outcome outcome;
    outcome.folder = wizard.ReadLine(30000).value_or("no answer");
    outcome.result = wizard.ReadLine(30000).value_or("no answer");
    EXPECT_EQ(wizard.Wait(), 0);
    return outcome;
  }

  ScratchFolder shared_;
  ScratchFolder home_;
  std::string victim_;
};

TEST_F(TwoUsersTest, WhatTheOtherUserPlantsNeverDecidesTheTest) {
  const struct {
    const char* name;
    Planted planted;
    std::vector<std::string> answering;
    const char* result;
  } cases[] = {
      {"nothing planted, everyone answers",
       Planted::kNothing,
       {"answer=192.168.1.1", "answer=8.8.8.8"},
       "result 4 pings 2"},
      {"a log holding a reply", Planted::kFile, {}, "result 0 pings 1"},
      {"a link to the wizard user's file", Planted::kLink, {}, "result 0 pings 1"},
      {"a FIFO", Planted::kFifo, {}, "result 0 pings 1"},
      {"the wizard user's folder, made by the other user", Planted::kForeignFolder, {}, "result 0 pings 1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path planted = Plant(c.planted);
    const Outcome outcome = RunWizard(c.answering);
    EXPECT_EQ(outcome.result, c.result);
    // The logs go to a folder of the wizard user's alone, beside what the other user made.
    const std::string folder = outcome.folder.substr(std::string("folder ").size());
    struct stat status {};
    ASSERT_EQ(::lstat(folder.c_str(), &status), 0) << outcome.folder;
    EXPECT_TRUE(S_ISDIR(status.st_mode));
    EXPECT_EQ(status.st_uid, kWizardUser);
    EXPECT_EQ(status.st_mode & 0777, 0700u);
    if (c.planted == Planted::kForeignFolder) {
      EXPECT_TRUE(folder.starts_with(UsualFolder().string() + "-")) << folder;
      // The next run takes the same folder again: runs leave no further ones behind.
      EXPECT_EQ(RunWizard(c.answering).folder, outcome.folder);
      size_t beside = 0;
      for (const auto& entry : fs::directory_iterator(shared_.path())) {
        beside += entry.path().string().starts_with(UsualFolder().string() + "-");
      }
      EXPECT_EQ(beside, 1u);
    } else {
      EXPECT_EQ(folder, UsualFolder().string() + "/");
    }
    EXPECT_TRUE(fs::exists(fs::path(folder) / "pingGateway.txt"));
    if (c.planted == Planted::kFile || c.planted == Planted::kForeignFolder) {
      EXPECT_EQ(Read(planted), kReply);
    }
    EXPECT_EQ(Read(victim_), "the wizard user's own notes");

    fs::remove_all(UsualFolder());
    for (const auto& entry : fs::directory_iterator(shared_.path())) fs::remove_all(entry.path());
  }
}

// A TMPDIR whose name the code page cannot hold: the logs were once written under its "?" form,
// which another user could make, and every target failed. Now /tmp serves instead.
TEST_F(TwoUsersTest, ATmpdirTheCodePageCannotNameGivesWayToTmp) {
  const fs::path japanese = Shared("ab_\xE6\x97\xA5\xE6\x9C\xAC");  // "ab_日本"
  fs::create_directories(japanese);
  fs::permissions(japanese, fs::perms::all | fs::perms::sticky_bit);
  const fs::path in_tmp = fs::path("/tmp") / ("orvo-nas-setup-wizard-" + std::to_string(kWizardUser));
  const bool existed = fs::exists(fs::symlink_status(in_tmp));
  const Outcome outcome = RunWizard({"answer=192.168.1.1", "answer=8.8.8.8"}, japanese.string());
  EXPECT_EQ(outcome.result, "result 4 pings 2");
  EXPECT_TRUE(outcome.folder.starts_with("folder " + in_tmp.string())) << outcome.folder;
  EXPECT_TRUE(fs::is_empty(japanese));
  EXPECT_FALSE(fs::exists(Shared("ab_??")));
  if (!existed) fs::remove_all(in_tmp);
}

// Given the shared folder itself, as the platform's own temporary folder once was: what the
// wizard cannot delete there makes its target fail at once, unpinged, never pass.
TEST_F(TwoUsersTest, ALogThatCannotBeDeletedFailsItsTarget) {
  for (const Planted kind : {Planted::kFile, Planted::kLink, Planted::kFifo}) {
    SCOPED_TRACE(static_cast<int>(kind));
    const fs::path planted = Plant(kind);
    const Outcome outcome = RunWizard({"answer=8.8.8.8", "temp=" + shared_.path().string()});
    EXPECT_EQ(outcome.result, "result 0 pings 0");
    EXPECT_TRUE(fs::exists(fs::symlink_status(planted)));
    EXPECT_EQ(Read(victim_), "the wizard user's own notes");
    if (kind == Planted::kFile) {
      EXPECT_EQ(Read(planted), kReply);
    }
    fs::remove(planted);
  }
}

}  // namespace
