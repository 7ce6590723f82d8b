#include "platform/window_registry.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "../support/child_process.h"

namespace {

using platform::HWND;

// A title no other test process uses at the same time.
std::string UniqueTitle(const std::string& base) { return base + " " + std::to_string(getpid()); }

TEST(WindowRegistry, FindsThisProcessWindowsByClassAndTitle) {
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

TEST(WindowRegistry, SecondInstanceFindsTheFirstAndAsksItToShowItself) {
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
}

// The abstract socket names a process answers under: its own, then the further ones.
std::vector<std::string> NamesOfThisProcess() {
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

// Another user's program that holds the given names (as root the squatter is another user).
std::unique_ptr<ChildProcess> Squat(const std::vector<std::string>& names) {
  std::vector<std::string> command;
  if (geteuid() == 0) command = {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
  command.push_back(WINDOW_INSTANCE);
  command.push_back("squat");
  command.insert(command.end(), names.begin(), names.end());
  auto squatter = std::make_unique<ChildProcess>(command);
  EXPECT_EQ(squatter->ReadLine(), "ready");
  return squatter;
}

// A name held by another program never ends this one: it answers under a further name, or, with
// every name held, runs on unfound. Either way a line says so.
TEST(WindowRegistry, ANameHeldByAnotherProgramNeverEndsTheProgram) {
  const std::string title = UniqueTitle("Orvo NAS Setup Wizard");
  HWND app = platform::RegisterWindow("TApplication", title, {[](int) {}, [] {}});
  HWND main = platform::RegisterWindow("Tform_Main", title, {[](int) {}, [] {}});
  const std::vector<std::string> names = NamesOfThisProcess();
  const struct {
    size_t held;
    int second_start;  // the exit code of a second instance asking for the windows
    const char* line;
  } cases[] = {
      {1, 0, "answers as"},
      {names.size(), 1, "every name of this process is held by another program"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.held);
    const auto squatter = Squat({names.begin(), names.begin() + static_cast<long>(c.held)});
    ::testing::internal::CaptureStderr();
    platform::StartWindowServer();
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find(c.line), std::string::npos) << said;
    ChildProcess second({WINDOW_INSTANCE, "ask", title});
    EXPECT_EQ(second.Wait(), c.second_start);
    EXPECT_EQ(platform::FindWindowA("Tform_Main", title.c_str()), main);
    platform::StopWindowServer();
  }
  platform::UnregisterWindow(app);
  platform::UnregisterWindow(main);
}

}  // namespace
