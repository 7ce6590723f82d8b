#include "platform/window_registry.h"

#include <gtest/gtest.h>
#include <unistd.h>

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

}  // namespace
