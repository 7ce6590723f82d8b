#include "platform/window_registry.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "child_process.h"
#include "platform/temp_folder.h"
#include "scratch_folder.h"

namespace {

using platform::HWND;

// A title no other test process uses at the same time.
std::string UniqueTitle(const std::string& base) { return base + " " + std::to_string(getpid()); }

const std::string kUsualFolder = "orvo-nas-setup-wizard-" + std::to_string(geteuid());

// The instances meet in the user's private temporary folder: here one in a folder of the test's
// own, open to all as /tmp is, so that another user can try what they can there.
class WindowRegistryTest : public ::testing::Test {
 protected:
  WindowRegistryTest() {
    std::filesystem::permissions(scratch_.path(), std::filesystem::perms::all | std::filesystem::perms::sticky_bit);
    for (const char* name : {"TMPDIR", "XDG_RUNTIME_DIR"}) {
      const char* value = std::getenv(name);
      saved_.push_back({name, value ? std::optional<std::string>(value) : std::nullopt});
    }
    setenv("TMPDIR", scratch_.path().c_str(), 1);
    unsetenv("XDG_RUNTIME_DIR");
  }
  ~WindowRegistryTest() override {
    for (const auto& [name, value] : saved_) {
      if (value) {
        setenv(name.c_str(), value->c_str(), 1);
      } else {
        unsetenv(name.c_str());
      }
    }
  }
  // The sockets of the instances in a folder.
  static size_t SocketsIn(const std::string& folder) {
    size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) count += entry.is_socket();
    return count;
  }

  ScratchFolder scratch_;
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST_F(WindowRegistryTest, FindsThisProcessWindowsByClassAndTitle) {
  const std::string title = UniqueTitle("Orvo NAS Setup Wizard");
  std::vector<int> shown;
  int fronted = 0;
  HWND app = platform::RegisterWindow("TApplication", title, {[&](int c) { shown.push_back(c); }, [&] { ++fronted; }});
  HWND main = platform::RegisterWindow("Tform_Main", title, {[&](int c) { shown.push_back(-c); }, [&] { ++fronted; }});

  struct Case {
    const char* class_name;
    const char* title;
    HWND expected;
  };
  const std::string upper = "TFORM_MAIN";
  const Case cases[] = {
      {"TApplication", title.c_str(), app}, {"Tform_Main", title.c_str(), main}, {upper.c_str(), title.c_str(), main},
      {"Tform_Main", nullptr, main},        {"Tform_Main", "Another", nullptr},  {"TForm", title.c_str(), nullptr},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(platform::FindWindowA(c.class_name, c.title), c.expected) << c.class_name;
  }

  EXPECT_TRUE(platform::ShowWindow(app, platform::SW_RESTORE));
  EXPECT_TRUE(platform::SetForegroundWindow(main));
  EXPECT_EQ(shown, std::vector<int>{platform::SW_RESTORE});
  EXPECT_EQ(fronted, 1);

  // A new caption is what the next lookup sees.
  platform::SetRegisteredWindowTitle(main, "Renamed " + title);
  EXPECT_EQ(platform::FindWindowA("Tform_Main", title.c_str()), nullptr);
  EXPECT_EQ(platform::FindWindowA("Tform_Main", ("Renamed " + title).c_str()), main);

  platform::UnregisterWindow(app);
  platform::UnregisterWindow(main);
  EXPECT_EQ(platform::FindWindowA("TApplication", title.c_str()), nullptr);
  EXPECT_FALSE(platform::ShowWindow(app, platform::SW_SHOW));
  EXPECT_FALSE(platform::ShowWindow(nullptr, platform::SW_SHOW));
}

TEST_F(WindowRegistryTest, SecondInstanceFindsTheFirstAndAsksItToShowItself) {
  const std::string title = UniqueTitle("Orvo NAS Setup Wizard");
  ChildProcess first({WINDOW_INSTANCE, title});
  ASSERT_EQ(first.ReadLine(), "ready");

  // What the program main of a second instance does.
  HWND app = platform::FindWindowA("TApplication", title.c_str());
  ASSERT_NE(app, nullptr);
  EXPECT_TRUE(platform::ShowWindow(app, platform::SW_RESTORE));
  EXPECT_TRUE(platform::SetForegroundWindow(app));
  HWND main = platform::FindWindowA("Tform_Main", title.c_str());
  ASSERT_NE(main, nullptr);
  EXPECT_NE(main, app);
  EXPECT_TRUE(platform::ShowWindow(main, platform::SW_SHOW));
  EXPECT_EQ(first.ReadLine(), "TApplication show 9");
  EXPECT_EQ(first.ReadLine(), "TApplication front");
  EXPECT_EQ(first.ReadLine(), "Tform_Main show 5");

  // A start on another display is on another desktop: it finds nothing there.
  ChildProcess elsewhere({"env", "DISPLAY=elsewhere:4711", WINDOW_INSTANCE, "ask", title});
  EXPECT_EQ(elsewhere.Wait(), 1);

  // Another caption finds nothing; an instance that ended is gone from the registry.
  EXPECT_EQ(platform::FindWindowA("Tform_Main", "Some other caption"), nullptr);
  first.CloseStdin();
  EXPECT_EQ(first.Wait(), 0);
  EXPECT_EQ(platform::FindWindowA("Tform_Main", title.c_str()), nullptr);
  EXPECT_FALSE(platform::ShowWindow(main, platform::SW_SHOW));
  const std::string folder = platform::HostTempFolder();
  EXPECT_EQ(SocketsIn(folder), 0u) << "an instance takes its socket along";

  // One that was killed leaves its socket; the next lookup finds nobody there and removes it.
  ChildProcess killed({WINDOW_INSTANCE, title});
  ASSERT_EQ(killed.ReadLine(), "ready");
  EXPECT_EQ(SocketsIn(folder), 1u);
  killed.Terminate();
  EXPECT_EQ(killed.Wait(), -1);
  EXPECT_EQ(SocketsIn(folder), 1u);
  EXPECT_EQ(platform::FindWindowA("Tform_Main", title.c_str()), nullptr);
  EXPECT_EQ(SocketsIn(folder), 0u);
  // One of another display is not looked at by that lookup; the next server to start removes it.
  ChildProcess elsewhere_killed({"env", "DISPLAY=elsewhere:4711", WINDOW_INSTANCE, title});
  ASSERT_EQ(elsewhere_killed.ReadLine(), "ready");
  elsewhere_killed.Terminate();
  EXPECT_EQ(elsewhere_killed.Wait(), -1);
  EXPECT_EQ(platform::FindWindowA("Tform_Main", title.c_str()), nullptr);
  EXPECT_EQ(SocketsIn(folder), 1u);
  platform::StartWindowServer();
  EXPECT_EQ(SocketsIn(folder), 1u) << "only this process's own";
  platform::StopWindowServer();
  EXPECT_EQ(SocketsIn(folder), 0u);
}

// The names another user could guess for this process: those the registry once took, abstract
// names any user may bind.
std::vector<std::string> GuessableNames() {
  std::string display = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "";
  for (char& c : display) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  const std::string own =
      "orvo-nas-wizard-windows." + std::to_string(getuid()) + "." + display + "." + std::to_string(getpid());
  std::vector<std::string> names = {own};
  for (int n = 1; n <= 15; ++n) names.push_back(own + "." + std::to_string(n));
  return names;
}

// Another user of the PC holds every name it could guess for this process, takes the usual name
// of the user's temporary folder and floods whatever sockets of this process it can think of;
// yet a second start of this user on this display finds this one every time, and none of the
// other user's attempts connects.
TEST_F(WindowRegistryTest, AnotherUserNeitherHoldsNorFloodsTheName) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
  const std::string title = UniqueTitle("Orvo NAS Setup Wizard");
  HWND app = platform::RegisterWindow("TApplication", title, {[](int) {}, [] {}});
  HWND main = platform::RegisterWindow("Tform_Main", title, {[](int) {}, [] {}});
  std::vector<std::string> command = {"setpriv",       "--reuid=65534", "--regid=65534", "--clear-groups",
                                      WINDOW_INSTANCE, "squat",         kUsualFolder,    std::to_string(getpid())};
  for (const std::string& name : GuessableNames()) command.push_back(name);
  ChildProcess other(command);
  ASSERT_EQ(other.ReadLine(), "ready");

  ::testing::internal::CaptureStderr();
  platform::StartWindowServer();
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("is not a private folder of this user; temporary files go to"), std::string::npos) << said;
  EXPECT_EQ(said.find("window registry"), std::string::npos) << said;
  for (int start = 0; start < 5; ++start) {
    ChildProcess second({WINDOW_INSTANCE, "ask", title});
    EXPECT_EQ(second.Wait(), 0) << "start " << start;
  }
  other.CloseStdin();
  EXPECT_EQ(other.ReadLine(), "attempts made connected 0");
  EXPECT_EQ(other.Wait(), 0);

  // The socket lives in the user's own folder beside the taken name, and goes with the server.
  const std::string folder = platform::HostTempFolder();
  ASSERT_TRUE(folder.starts_with((scratch_.path() / kUsualFolder).string() + "-")) << folder;
  EXPECT_EQ(SocketsIn(folder), 1u);
  platform::StopWindowServer();
  EXPECT_EQ(SocketsIn(folder), 0u);
  platform::UnregisterWindow(app);
  platform::UnregisterWindow(main);
}

}  // namespace
