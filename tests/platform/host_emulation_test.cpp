#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "add_connection.h"
#include "platform/drives.h"
#include "platform/files.h"
#include "platform/firewall.h"
#include "platform/gtk_bookmarks.h"
#include "platform/host_drives.h"
#include "platform/host_firewall.h"
#include "platform/host_processes.h"
#include "platform/host_services.h"
#include "platform/last_error.h"
#include "platform/processes.h"
#include "processes_at_once.h"
#include "scratch_folder.h"

namespace {

using namespace platform;

std::string Read(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The host's drives with a temporary folder of the test's own, where cmd may write its logs.
class HostPingTest : public ::testing::Test {
 protected:
  HostPingTest() {
    HostDriveSources sources;
    sources.state_folder = temp.File("state");
    sources.temp_folder = temp.path().string() + "/";
    drives_ = MakeHostDrives(sources);
    InstallDrives(drives_.get());
  }
  ~HostPingTest() override { InstallDrives(nullptr); }

  ScratchFolder temp;

 private:
  std::unique_ptr<Drives> drives_;
};

TEST_F(HostPingTest, ARealPingThroughWinExecWritesWindowsReplyLines) {
  const std::string file = temp.File("pingGateway.txt");
  const std::string line = "cmd.exe /c ping 127.0.0.1 > " + file;
  ASSERT_GT(WinExec(line.c_str(), SW_HIDE), 31u);
  // The redirection exists as soon as WinExec returns.
  EXPECT_TRUE(std::filesystem::exists(file));
  WaitForHostPrograms();
  const std::string output = Read(file);
  EXPECT_NE(output.find("Pinging 127.0.0.1 with 32 bytes of data:\r\n"), std::string::npos) << output;
  EXPECT_NE(output.find("Reply from 127.0.0.1: bytes=32 time"), std::string::npos) << output;
  EXPECT_NE(output.find("TTL="), std::string::npos) << output;
  EXPECT_EQ(output.find("ttl="), std::string::npos) << output;
  EXPECT_NE(output.find("Packets: Sent = 4, Received = 4, Lost = 0 (0% loss),"), std::string::npos) << output;
}

TEST_F(HostPingTest, AnUnknownHostIsToldAsWindowsTellsIt) {
  const std::string file = temp.File("pingPrimaryDNS.txt");
  const std::string line = "cmd.exe /c ping no-such-host.invalid > " + file;
  ASSERT_GT(WinExec(line.c_str(), SW_HIDE), 31u);
  WaitForHostPrograms();
  EXPECT_EQ(Read(file),
            "Ping request could not find host no-such-host.invalid. Please check the name and try again.\r\n");
}

// An ordinary user, for whom file permissions hold as they do not for root.
constexpr uid_t kUser = 65534;  // nobody

// Gives the file or folder to the user who runs the calls of ExpectAs, when the tests run as root.
void GiveToUser(const std::string& path) {
  if (::geteuid() == 0) {
    EXPECT_EQ(::lchown(path.c_str(), kUser, kUser), 0) << path;
  }
}

// Runs `calls` in a child process as `user` (as the tester without root) and expects them to
// answer `answered`.
void ExpectAs(uid_t user, const std::function<std::string()>& calls, const std::string& answered) {
  EXPECT_EXIT(
      {
        if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setresgid(user, user, user) != 0 ||
                                 ::setresuid(user, user, user) != 0)) {
          std::_Exit(2);
        }
        std::fprintf(stderr, "answered: %s\n", calls().c_str());
        std::_Exit(0);
      },
      ::testing::ExitedWithCode(0), "answered: " + answered + "\n");
}

NETRESOURCEA Share(const char* letter, const char* remote) {
  NETRESOURCEA resource{};
  resource.dwType = RESOURCETYPE_DISK;
  resource.lpLocalName = const_cast<char*>(letter);
  resource.lpRemoteName = const_cast<char*>(remote);
  return resource;
}

class HostStateTest : public ::testing::Test {
 protected:
  HostStateTest() {
    std::filesystem::create_directories(devices_.path());
    boot_ = state_.Write("boot_id", "first-boot\n");
    // The user of ExpectAs reaches the files.
    for (const ScratchFolder* folder : {&state_, &devices_}) {
      std::filesystem::permissions(folder->path(),
                                   std::filesystem::perms::others_read | std::filesystem::perms::others_exec,
                                   std::filesystem::perm_options::add);
    }
  }
  HostDriveSources Sources() {
    HostDriveSources s;
    s.state_folder = state_.File("state");
    s.devices = devices_.path().string();
    s.mounts = devices_.File("mounts");
    s.boot_id = boot_;
    return s;
  }
  std::string StateFile(const char* name) { return state_.File("state") + "/" + name; }

  ScratchFolder state_;
  ScratchFolder devices_;
  std::string boot_;
};

TEST_F(HostStateTest, ConnectionsOutliveTheServiceObjectAndPersistentOnesARestart) {
  {
    auto drives = MakeHostDrives(Sources());
    InstallDrives(drives.get());
    EXPECT_EQ(AddConnection("Z:", "\\\\Storage\\Volume_1", CONNECT_UPDATE_PROFILE), 0u);
    EXPECT_EQ(AddConnection("Y:", "\\\\Storage\\Volume 2"), 0u);
    InstallDrives(nullptr);
  }
  const std::string text = Read(StateFile(kDrivesFileName));
  EXPECT_NE(text.find("connected Y: \\\\Storage\\Volume 2\n"), std::string::npos) << text;
  EXPECT_NE(text.find("remembered Z: \\\\Storage\\Volume_1\n"), std::string::npos) << text;
  auto again = MakeHostDrives(Sources());
  InstallDrives(again.get());
  EXPECT_EQ(GetDriveTypeA("Y:\\"), DRIVE_REMOTE);
  EXPECT_EQ(GetDriveTypeA("Z:\\"), DRIVE_REMOTE);
  // A new boot id is a restart: only what was remembered is connected again.
  std::ofstream(boot_) << "second-boot\n";
  EXPECT_EQ(GetDriveTypeA("Y:\\"), DRIVE_NO_ROOT_DIR);
  EXPECT_EQ(GetDriveTypeA("Z:\\"), DRIVE_REMOTE);
  InstallDrives(nullptr);
  EXPECT_NE(Read(StateFile(kDrivesFileName)).find("session second-boot\n"), std::string::npos);
}

// A change that cannot be kept fails; the file keeps what it holds, and what was read stands.
TEST_F(HostStateTest, AStateFileThatCannotBeReadIsNeverWrittenOver) {
  const std::string folder = state_.File("state");
  std::filesystem::create_directories(folder);
  GiveToUser(folder);
  const HostDriveSources sources = Sources();
  const struct {
    const char* file;
    std::function<std::string()> calls;
    const char* answered;
  } cases[] = {
      {kDrivesFileName,
       [&] {
         auto drives = MakeHostDrives(sources);
         InstallDrives(drives.get());
         NETRESOURCEA z = Share("Z:", "\\\\Storage\\Volume_1");
         const DWORD connected = WNetAddConnection2A(&z, "", "", CONNECT_UPDATE_PROFILE);
         return std::to_string(connected) + " " + std::to_string(GetDriveTypeA("Z:\\"));
       },
       "5 1"},
      {kServicesFileName,
       [&] {
         auto services = MakeHostServiceManager(folder);
         InstallServiceManager(services.get());
         SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
         SC_HANDLE service = OpenServiceA(manager, "SharedAccess", SERVICE_ALL_ACCESS);
         SERVICE_STATUS status{};
         const BOOL queried = QueryServiceStatus(service, &status);
         const BOOL started = StartServiceA(service, 0, nullptr);
         return std::to_string(queried) + " " + std::to_string(status.dwCurrentState) + " " + std::to_string(started) +
                " " + std::to_string(GetLastError());
       },
       "1 1 0 5"},
      {kFirewallFileName,
       [&] {
         auto services = MakeHostServiceManager(folder);
         auto firewall = MakeHostFirewall(folder, *services);
         FirewallProfileState profile;
         const HRESULT read = firewall->ReadProfile(&profile);
         const HRESULT authorized = firewall->Authorize({u"Orvo NAS Setup Wizard", u"/opt/orvo/wizard", true});
         return std::to_string(read) + " " + std::to_string(profile.firewall_enabled) + " " +
                std::to_string(authorized == E_ACCESSDENIED);
       },
       "0 1 1"},
  };
  const std::string mine = "# mine, and not for others\n";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const std::string file = state_.Write(std::string("state/") + c.file, mine);
    GiveToUser(file);
    std::filesystem::permissions(file, std::filesystem::perms::none);
    ExpectAs(kUser, c.calls, c.answered);
    EXPECT_EQ(std::filesystem::status(file).permissions(), std::filesystem::perms::none);
    std::filesystem::permissions(file, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_EQ(Read(file), mine);
  }
  std::vector<std::string> left;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) left.push_back(entry.path().filename());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{".drives.txt.orvo-lock", ".firewall.txt.orvo-lock",
                                            ".services.txt.orvo-lock", "drives.txt", "firewall.txt", "services.txt"}))
      << "no temporary file is left";
}

// The restart is written down when it can be: a state folder that cannot be written changes no
// answer, and fails only a change of the connections.
TEST_F(HostStateTest, AfterARestartAFolderThatCannotBeWrittenStillTellsTheDrives) {
  namespace fs = std::filesystem;
  const std::string folder = state_.File("state");
  fs::create_directories(folder);
  const std::string mine =
      "session first-boot\nconnected Y: \\\\Storage\\Volume_2\nremembered Z: \\\\Storage\\Volume_1\n";
  const std::string file = state_.Write(std::string("state/") + kDrivesFileName, mine);
  fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  fs::permissions(folder,
                  fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read | fs::perms::others_exec);
  GiveToUser(file);
  GiveToUser(folder);
  std::ofstream(boot_) << "second-boot\n";
  const HostDriveSources sources = Sources();
  ExpectAs(
      kUser,
      [&] {
        auto drives = MakeHostDrives(sources);
        InstallDrives(drives.get());
        std::string answered;
        for (const char* root : {"X:\\", "Y:\\", "Z:\\", "\\\\Storage\\Volume_1\\", "\\\\Storage\\Volume_2\\"}) {
          answered += std::to_string(GetDriveTypeA(root)) + " ";
        }
        NETRESOURCEA x = Share("X:", "\\\\Storage\\Volume_3");
        return answered + std::to_string(WNetAddConnection2A(&x, "", "", 0));
      },
      "1 1 4 4 1 5");
  fs::permissions(folder, fs::perms::owner_all);
  EXPECT_EQ(Read(file), mine);
}

// A user without a home has nowhere to keep a change: it fails, as it would be lost at the next
// read, while what the services hold is still told.
TEST_F(HostStateTest, WithoutAHomeAChangeFailsAndReadingStillAnswers) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to be a user the system does not know";
  uid_t homeless = 40000;
  while (::getpwuid(homeless)) ++homeless;
  HostDriveSources sources = Sources();
  sources.state_folder.clear();
  ExpectAs(
      homeless,
      [&] {
        ::unsetenv("HOME");
        ::unsetenv("XDG_STATE_HOME");
        auto drives = MakeHostDrives(sources);
        InstallDrives(drives.get());
        NETRESOURCEA z = Share("Z:", "\\\\Storage\\Volume_1");
        const DWORD connected = WNetAddConnection2A(&z, "", "", CONNECT_UPDATE_PROFILE);
        auto services = MakeHostServiceManager("");
        InstallServiceManager(services.get());
        SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
        SERVICE_STATUS status{};
        const BOOL queried = QueryServiceStatus(OpenServiceA(manager, "MpsSvc", SERVICE_ALL_ACCESS), &status);
        const BOOL started = StartServiceA(OpenServiceA(manager, "SharedAccess", SERVICE_ALL_ACCESS), 0, nullptr);
        return std::to_string(connected) + " " + std::to_string(GetDriveTypeA("Z:\\")) + " " + std::to_string(queried) +
               " " + std::to_string(status.dwCurrentState) + " " + std::to_string(started) + " " +
               std::to_string(GetLastError());
      },
      "5 1 1 4 0 5");
}

// The user's home for one test: HOME set, XDG_CONFIG_HOME unset, both as they were after it.
class ScopedHome {
 public:
  explicit ScopedHome(const std::string& home) {
    for (const char* name : {"HOME", "XDG_CONFIG_HOME"}) {
      const char* value = std::getenv(name);
      saved_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
    }
    setenv("HOME", home.c_str(), 1);
    unsetenv("XDG_CONFIG_HOME");
  }
  ~ScopedHome() {
    for (const auto& [name, value] : saved_) {
      if (value) {
        setenv(name.c_str(), value->c_str(), 1);
      } else {
        unsetenv(name.c_str());
      }
    }
  }

 private:
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST_F(HostStateTest, ARememberedConnectionIsBookmarkedForTheDesktopUntilItIsCancelled) {
  const std::string home = state_.File("home");
  std::filesystem::create_directories(home);
  ScopedHome scoped_home(home);
  const std::string bookmarks = home + "/.config/gtk-3.0/bookmarks";
  HostDriveSources sources = Sources();
  sources.bookmarks = GtkBookmarksPath();
  ASSERT_EQ(sources.bookmarks, bookmarks);
  const std::string ours = "smb://Storage/Volume_1 Z: Volume_1 on Storage\n";
  struct Case {
    const char* what;
    std::optional<std::string> before;  // the user's file, nothing when it (and its folder) is missing
    std::string with_ours;
    std::string after_cancel;
  };
  // The user's own lines: CR LF ends, the same share under a label of the user's, and a last
  // line without its end, which gets one so that the next line is a line of its own.
  const std::string users = "file:///srv/music Music\r\nsmb://Storage/Volume_1 mine\nsftp://backup/home";
  const Case cases[] = {
      {"no file and no folder yet", std::nullopt, ours, ""},
      {"the user's bookmarks", users, users + "\n" + ours, users + "\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove_all(home + "/.config");
    std::filesystem::remove_all(state_.File("state"));
    std::ofstream(boot_) << "first-boot\n";
    if (c.before) {
      std::filesystem::create_directories(home + "/.config/gtk-3.0");
      std::ofstream(bookmarks, std::ios::binary) << *c.before;
    }
    {
      auto drives = MakeHostDrives(sources);
      InstallDrives(drives.get());
      EXPECT_EQ(AddConnection("Z:", "\\\\Storage\\Volume_1", CONNECT_UPDATE_PROFILE), 0u);
      EXPECT_EQ(AddConnection("Y:", "\\\\Storage\\Volume_2", 0), 0u) << "a connection of this session only";
      InstallDrives(nullptr);
    }
    EXPECT_EQ(Read(bookmarks), c.with_ours);

    // After a restart the remembered connection is back, and its bookmark is there once.
    std::ofstream(boot_) << "second-boot\n";
    auto drives = MakeHostDrives(sources);
    InstallDrives(drives.get());
    EXPECT_EQ(GetDriveTypeA("Z:\\"), DRIVE_REMOTE);
    EXPECT_EQ(AddConnection("Z:", "\\\\Storage\\Volume_1", CONNECT_UPDATE_PROFILE), ERROR_ALREADY_ASSIGNED);
    EXPECT_EQ(Read(bookmarks), c.with_ours);

    // Ending the session's connection keeps what is remembered; forgetting it removes the bookmark.
    EXPECT_EQ(WNetCancelConnection2A("Z:", 0, 1), 0u);
    EXPECT_EQ(Read(bookmarks), c.with_ours);
    EXPECT_EQ(WNetCancelConnection2A("Z:", CONNECT_UPDATE_PROFILE, 1), 0u);
    EXPECT_EQ(Read(bookmarks), c.after_cancel);
    InstallDrives(nullptr);
  }
}

TEST_F(HostStateTest, OpticalDrivesAndAHandWrittenFile) {
  for (const char* name : {"sr1", "sr0", "sda", "srx"}) std::ofstream(devices_.File(name)) << "";
  std::filesystem::create_directories(devices_.path() / "cd rom" / "Software Add-ins");
  std::ofstream(devices_.File("mounts")) << devices_.File("sr1") << " " << (devices_.path() / "cd\\040rom").string()
                                         << " iso9660 ro 0 0\n";
  std::filesystem::create_directories(state_.File("state"));
  std::ofstream(StateFile(kDrivesFileName)) << "# by hand\n"
                                            << "session first-boot\n"
                                            << "connected W: \\\\Backup\\Files\n"
                                            << "connected D: \\\\Backup\\OnACdLetter\n"
                                            << "connected V: Backup\\NoUnc\n"
                                            << "nonsense line\n";
  auto drives = MakeHostDrives(Sources());
  InstallDrives(drives.get());
  EXPECT_EQ(GetDriveTypeA("C:\\"), DRIVE_FIXED);
  EXPECT_EQ(GetDriveTypeA("D:\\"), DRIVE_CDROM);  // sr0, no disc
  EXPECT_EQ(GetDriveTypeA("E:\\"), DRIVE_CDROM);  // sr1, mounted
  EXPECT_EQ(GetDriveTypeA("F:\\"), DRIVE_NO_ROOT_DIR);
  EXPECT_EQ(GetDriveTypeA("W:\\"), DRIVE_REMOTE);
  EXPECT_EQ(GetDriveTypeA("V:\\"), DRIVE_NO_ROOT_DIR);
  EXPECT_TRUE(DirectoryExists("E:\\Software Add-ins"));
  EXPECT_FALSE(DirectoryExists("D:\\Software Add-ins"));
  InstallDrives(nullptr);
}

TEST_F(HostStateTest, ServiceStatesOutliveTheServiceObject) {
  std::filesystem::create_directories(state_.File("state"));
  std::ofstream(StateFile(kServicesFileName)) << "MpsSvc paused\nSharedAccess sleeping\n";
  {
    auto services = MakeHostServiceManager(state_.File("state"));
    InstallServiceManager(services.get());
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    SC_HANDLE service = OpenServiceA(manager, "MpsSvc", SERVICE_ALL_ACCESS);
    SERVICE_STATUS status;
    ASSERT_TRUE(QueryServiceStatus(service, &status));
    EXPECT_EQ(status.dwCurrentState, SERVICE_PAUSED);
    EXPECT_TRUE(ControlService(service, SERVICE_CONTROL_STOP, &status));
    CloseServiceHandle(service);
    CloseServiceHandle(manager);
    InstallServiceManager(nullptr);
  }
  // Only the changed line is written; the line the manager could not read stays as it was.
  EXPECT_EQ(Read(StateFile(kServicesFileName)), "MpsSvc stopped\nSharedAccess sleeping\n");
  auto services = MakeHostServiceManager(state_.File("state"));
  DWORD state = 0;
  services->WithServices([&](std::vector<ServiceRecord>& all) -> DWORD {
    state = all.at(0).state;
    return 0;
  });
  EXPECT_EQ(state, SERVICE_STOPPED);
}

TEST_F(HostStateTest, TheFirewallFileIsReadAsTheUserLeftItAndKeepsRegistrations) {
  auto services = MakeHostServiceManager(state_.File("state"));
  auto firewall = MakeHostFirewall(state_.File("state"), *services);
  EXPECT_EQ(firewall->Authorize({u"Orvo NAS Setup Wizard", u"/opt/orvo/wizard", true}), S_OK);
  const std::string text = Read(StateFile(kFirewallFileName));
  EXPECT_NE(text.find("[Firewall]\nFirewall=on\nExceptions=allowed\n"), std::string::npos) << text;
  EXPECT_NE(text.find("[Application]\nName=Orvo NAS Setup Wizard\nPath=/opt/orvo/wizard\nEnabled=yes\n"),
            std::string::npos)
      << text;
  std::ofstream(StateFile(kFirewallFileName), std::ios::app) << "\n[Firewall]\nExceptions = not allowed\n"
                                                             << "[Application]\nName=No path\n";
  auto restarted = MakeHostFirewall(state_.File("state"), *services);
  FirewallProfileState profile;
  ASSERT_EQ(restarted->ReadProfile(&profile), S_OK);
  EXPECT_TRUE(profile.firewall_enabled);
  EXPECT_TRUE(profile.exceptions_not_allowed);
  EXPECT_EQ(profile.applications,
            (std::vector<FirewallApplication>{{u"Orvo NAS Setup Wizard", u"/opt/orvo/wizard", true}}));
  // Its objects answer only while the firewall service runs.
  EXPECT_EQ(restarted->Admit(FirewallCall::kFirewallEnabled), S_OK);
  services->WithServices([](std::vector<ServiceRecord>& all) -> DWORD {
    all.at(0).state = SERVICE_STOPPED;
    return 0;
  });
  EXPECT_EQ(restarted->Admit(FirewallCall::kFirewallEnabled), HRESULT_FROM_WIN32(EPT_S_NOT_REGISTERED));
  EXPECT_EQ(restarted->Admit(FirewallCall::kCreateManager), S_OK);
}

// A Name or Path with blanks at its ends keeps them in quotes; read back it is the same program,
// so a second authorisation adds nothing. A value the user put in quotes loses them.
TEST_F(HostStateTest, AnApplicationsNameAndPathKeepTheirBlanks) {
  auto services = MakeHostServiceManager(state_.File("state"));
  auto firewall = MakeHostFirewall(state_.File("state"), *services);
  const FirewallApplication blanks{u" Orvo ", u"/opt/orvo/wizard ", true};
  const FirewallApplication quoted{u"\"Backup\"", u"/opt/\"quoted\"", false};
  for (const FirewallApplication& app : {blanks, quoted}) ASSERT_EQ(firewall->Authorize(app), S_OK);
  const std::string written = Read(StateFile(kFirewallFileName));
  EXPECT_NE(written.find("Name=\" Orvo \"\nPath=\"/opt/orvo/wizard \"\n"), std::string::npos) << written;
  EXPECT_NE(written.find("Name=\"\"Backup\"\"\nPath=/opt/\"quoted\"\n"), std::string::npos) << written;
  for (const FirewallApplication& app : {blanks, quoted}) ASSERT_EQ(firewall->Authorize(app), S_OK);
  EXPECT_EQ(Read(StateFile(kFirewallFileName)), written);
  std::ofstream(StateFile(kFirewallFileName), std::ios::app) << "[Application]\nName = \"By hand\" \nPath=\"/opt/x\"\n";
  FirewallProfileState profile;
  ASSERT_EQ(firewall->ReadProfile(&profile), S_OK);
  EXPECT_EQ(profile.applications, (std::vector<FirewallApplication>{blanks, quoted, {u"By hand", u"/opt/x", true}}));
}

// Two wizards that remember drives at once (each a process of its own) keep every drive in
// drives.txt and every bookmark: each reads both files under the lock that the other's save holds.
TEST_F(HostStateTest, TwoProgramsRememberingDrivesAtOnceLoseNothing) {
  const std::string home = state_.File("home");
  HostDriveSources sources = Sources();
  sources.bookmarks = home + "/bookmarks";
  std::filesystem::create_directories(home);
  std::ofstream(sources.bookmarks) << "file:///srv/music Music\n";
  const std::vector<std::string> letters[] = {{"Z", "Y", "X", "W", "V", "U", "T", "S", "R", "Q"},
                                              {"P", "O", "N", "M", "L", "K", "J", "I", "H", "G"}};
  const std::vector<int> codes = InProcessesAtOnce(2, [&](size_t program) {
    auto drives = MakeHostDrives(sources);
    InstallDrives(drives.get());
    for (const std::string& letter : letters[program]) {
      if (AddConnection((letter + ":").c_str(), ("\\\\Storage\\" + letter).c_str(), CONNECT_UPDATE_PROFILE) != 0) {
        return 1;
      }
    }
    return 0;
  });
  EXPECT_EQ(codes, (std::vector<int>{0, 0}));
  const std::string drives = Read(StateFile(kDrivesFileName));
  const std::string bookmarks = Read(sources.bookmarks);
  EXPECT_TRUE(bookmarks.starts_with("file:///srv/music Music\n")) << bookmarks;
  for (const auto& mine : letters) {
    for (const std::string& letter : mine) {
      EXPECT_NE(drives.find("remembered " + letter + ": \\\\Storage\\" + letter + "\n"), std::string::npos)
          << letter << "\n"
          << drives;
      EXPECT_NE(bookmarks.find("smb://Storage/" + letter + " " + letter + ": " + letter + " on Storage\n"),
                std::string::npos)
          << letter << "\n"
          << bookmarks;
    }
  }
}

// The state files of a user who edits them by hand, in the state folder below a temporary home.
class HandEditedStateTest : public ::testing::Test {
 protected:
  HandEditedStateTest() {
    for (const char* name : {"HOME", "XDG_STATE_HOME"}) {
      if (const char* value = std::getenv(name)) saved_.emplace_back(name, value);
    }
    ::setenv("HOME", home_.path().c_str(), 1);
    ::unsetenv("XDG_STATE_HOME");
    folder_ = home_.path() / ".local" / "state" / "orvo-nas-setup-wizard";
    std::filesystem::create_directories(folder_);
    std::filesystem::create_directories(home_.path() / "dev");
    boot_ = home_.Write("boot_id", "first-boot\n");
  }
  ~HandEditedStateTest() override {
    ::unsetenv("HOME");
    for (const auto& [name, value] : saved_) ::setenv(name.c_str(), value.c_str(), 1);
  }
  std::string File(const char* name) const { return (folder_ / name).string(); }
  std::string Write(const char* name, const std::string& bytes) const {
    std::ofstream(File(name), std::ios::binary) << bytes;
    return File(name);
  }
  std::unique_ptr<Drives> MakeDrives() const {
    HostDriveSources sources;
    sources.devices = (home_.path() / "dev").string();
    sources.mounts = home_.File("mounts");
    sources.boot_id = boot_;
    return MakeHostDrives(sources);
  }

  ScratchFolder home_;
  std::filesystem::path folder_;
  std::string boot_;
  std::vector<std::pair<std::string, std::string>> saved_;
};

TEST_F(HandEditedStateTest, TheFirewallFileKeepsWhatTheUserWroteAndStaysALink) {
  const std::string mine =
      "# The firewall as I keep it.\n"
      "[Firewall]\n"
      "Firewall=on\n"
      "; an old comment\n"
      "Exceptions=allowed\n"
      "Logging=verbose\n"
      "\n"
      "[Rules]\n"
      "Allow=22\n"
      "[Application]\n"
      "Name=Backup\n"
      "Path=/home/jos\xE9/backup\n"
      "Enabled=yes\n";
  std::filesystem::create_directories(home_.path() / "dotfiles");
  const std::string kept = home_.Write("dotfiles/firewall.txt", mine);
  std::filesystem::create_symlink(kept, File(kFirewallFileName));
  auto services = MakeHostServiceManager("");
  auto firewall = MakeHostFirewall("", *services);
  ::testing::internal::CaptureStderr();
  ASSERT_EQ(firewall->Authorize({u"Orvo NAS Setup Wizard", u"/opt/orvo/wizard", true}), S_OK);
  const std::string reported = ::testing::internal::GetCapturedStderr();
  const std::string added = "\n[Application]\nName=Orvo NAS Setup Wizard\nPath=/opt/orvo/wizard\nEnabled=yes\n";
  EXPECT_EQ(Read(kept), mine + added);
  EXPECT_TRUE(std::filesystem::is_symlink(File(kFirewallFileName)));
  // What the firewall cannot read is still told, and still kept.
  for (const char* line : {":4: not a \"key=value\" line", ":6: not a known key", ":8: not a [Firewall]",
                           ":9: not a \"key=value\" line"}) {
    EXPECT_NE(reported.find(File(kFirewallFileName) + line), std::string::npos) << line << "\n" << reported;
  }
  // A second registration changes the one line that differs.
  ASSERT_EQ(firewall->Authorize({u"Orvo NAS Setup Wizard", u"/opt/orvo/wizard", false}), S_OK);
  EXPECT_EQ(Read(kept), mine + "\n[Application]\nName=Orvo NAS Setup Wizard\nPath=/opt/orvo/wizard\nEnabled=no\n");
  FirewallProfileState profile;
  ASSERT_EQ(firewall->ReadProfile(&profile), S_OK);
  ASSERT_EQ(profile.applications.size(), 2u);
  EXPECT_EQ(profile.applications[0].image_path, u"/home/jos\uFFFD/backup");
}

TEST_F(HandEditedStateTest, TheServicesFileChangesInTheOneLineOfTheService) {
  const std::string mine =
      "# my services\r\n"
      "MpsSvc   running\r\n"
      "Spooler running\r\n"
      "Serv\xE9 stopped\r\n"
      "nonsense\r\n"
      "# the end";
  Write(kServicesFileName, mine);
  auto services = MakeHostServiceManager("");
  InstallServiceManager(services.get());
  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  SC_HANDLE service = OpenServiceA(manager, "MpsSvc", SERVICE_ALL_ACCESS);
  SERVICE_STATUS status;
  ::testing::internal::CaptureStderr();
  EXPECT_TRUE(ControlService(service, SERVICE_CONTROL_STOP, &status));
  ::testing::internal::GetCapturedStderr();
  EXPECT_TRUE(StartServiceA(OpenServiceA(manager, "SharedAccess", SERVICE_ALL_ACCESS), 0, nullptr));
  CloseServiceHandle(service);
  CloseServiceHandle(manager);
  InstallServiceManager(nullptr);
  // A service that was not in the file joins at its end, after the last service's line.
  EXPECT_EQ(Read(File(kServicesFileName)),
            "# my services\r\nMpsSvc stopped\r\nSpooler running\r\nServ\xE9 stopped\r\nSharedAccess running\r\n"
            "nonsense\r\n# the end");
}

TEST_F(HandEditedStateTest, TheDrivesFileChangesOnlyTheConnectionsThatChange) {
  const std::string mine =
      "# my drives\n"
      "session first-boot\n"
      "connected W: \\\\Backup\\Files\n"
      "connected   V:   \\\\Fil\xE9s\\Share\n"
      "remembered W: \\\\Backup\\Files\n"
      "something else\n"
      "# a trailing comment\n";
  Write(kDrivesFileName, mine);
  auto drives = MakeDrives();
  InstallDrives(drives.get());
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(AddConnection("Y:", "\\\\Storage\\Volume_1", CONNECT_UPDATE_PROFILE), 0u);
  ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(Read(File(kDrivesFileName)),
            "# my drives\n"
            "session first-boot\n"
            "connected W: \\\\Backup\\Files\n"
            "connected   V:   \\\\Fil\xE9s\\Share\n"
            "connected Y: \\\\Storage\\Volume_1\n"
            "remembered W: \\\\Backup\\Files\n"
            "remembered Y: \\\\Storage\\Volume_1\n"
            "something else\n"
            "# a trailing comment\n");
  EXPECT_EQ(WNetCancelConnection2A("W:", CONNECT_UPDATE_PROFILE, 1), 0u);
  EXPECT_EQ(Read(File(kDrivesFileName)),
            "# my drives\n"
            "session first-boot\n"
            "connected   V:   \\\\Fil\xE9s\\Share\n"
            "connected Y: \\\\Storage\\Volume_1\n"
            "remembered Y: \\\\Storage\\Volume_1\n"
            "something else\n"
            "# a trailing comment\n");
  InstallDrives(nullptr);
}

// A second line for a connection is skipped while the first stands, and goes with it: else the
// cancelled connection would come back from it at the next call.
TEST_F(HandEditedStateTest, ACancelledConnectionTakesEveryLineOfIt) {
  Write(kDrivesFileName,
        "session first-boot\n"
        "remembered W: \\\\Backup\\Files\n"
        "# mine\n"
        "remembered W: \\\\Backup\\Copy\n");
  auto drives = MakeDrives();
  InstallDrives(drives.get());
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(WNetCancelConnection2A("W:", CONNECT_UPDATE_PROFILE, 1), 0u);
  EXPECT_EQ(Read(File(kDrivesFileName)), "session first-boot\n# mine\n");
  EXPECT_EQ(WNetCancelConnection2A("W:", CONNECT_UPDATE_PROFILE, 1), static_cast<DWORD>(ERROR_NOT_CONNECTED));
  ::testing::internal::GetCapturedStderr();
  InstallDrives(nullptr);
}

// A box's host name with a line break and a tab cannot write a line of its own into the file,
// nor a share whose name ends in a blank, which reading the line would drop, change the share.
TEST_F(HandEditedStateTest, AShareNameTheFileCannotKeepIsRefused) {
  const std::string mine = "session first-boot\nconnected W: \\\\Backup\\Files\n";
  Write(kDrivesFileName, mine);
  auto drives = MakeDrives();
  InstallDrives(drives.get());
  for (const char* remote : {"\\\\Storage\nremembered Q: \\\\Evil\\Share\\Volume_1", "\\\\Sto\trage\\Volume_1",
                             "\\\\Storage\\Volume_1\r", "\\\\Storage\\Volume_1 "}) {
    EXPECT_EQ(AddConnection("Z:", remote, CONNECT_UPDATE_PROFILE), static_cast<DWORD>(ERROR_INVALID_NAME));
  }
  EXPECT_EQ(Read(File(kDrivesFileName)), mine);
  EXPECT_EQ(GetDriveTypeA("Q:\\"), DRIVE_NO_ROOT_DIR);
  EXPECT_EQ(GetDriveTypeA("Z:\\"), DRIVE_NO_ROOT_DIR);
  InstallDrives(nullptr);
}

}  // namespace
