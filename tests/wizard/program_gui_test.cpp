#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

#include "../support/child_process.h"
#include "../support/gui_environment.h"
#include "x_probe.h"

namespace {

constexpr const char* kTitle = "Orvo NAS Setup Wizard";

// Polls the X server (real time: the program runs in a process of its own).
bool Eventually(const std::function<bool()>& done, int timeout_ms = 10000) {
  for (int waited = 0; waited < timeout_ms; waited += 50) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return done();
}

ChildProcess StartWizard() { return ChildProcess({"env", "ORVO_WORLD=sim", WIZARD_PROGRAM}, true); }

TEST(WizardProgram, OpensShapedMinimisesHandsOverAndClosesWithExitCodeZero) {
  SKIP_WITHOUT_DISPLAY();
  XProbe x;
  ChildProcess wizard = StartWizard();
  unsigned long window = 0;
  ASSERT_TRUE(Eventually([&] { return (window = x.FindByTitle(kTitle)) != 0 && x.Viewable(window); }));
  int width = 0, height = 0;
  ASSERT_TRUE(x.Size(window, width, height));
  EXPECT_EQ(width, 683);
  EXPECT_EQ(height, 440);
  EXPECT_TRUE(x.ShapeContains(window, 341, 220));
  EXPECT_FALSE(x.ShapeContains(window, 0, 0)) << "the corners are rounded off";
  EXPECT_FALSE(x.ShapeContains(window, 682, 439));

  int left = 0, top = 0;
  ASSERT_TRUE(x.Origin(window, left, top));
  auto click = [&](int wx, int wy) {
    x.MovePointer(left + wx, top + wy);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    x.Button(1, true);
    x.Button(1, false);
  };
  click(597, 20);  // the minimise picture
  EXPECT_TRUE(Eventually([&] { return !x.Viewable(window); })) << "the minimise picture hides the program";

  // A second start finds the running one, restores it and ends at once.
  ChildProcess second = StartWizard();
  EXPECT_EQ(second.Wait(), 0);
  // The restored window may be a new X window of the same form.
  EXPECT_TRUE(Eventually([&] { return (window = x.FindByTitle(kTitle)) != 0 && x.Viewable(window); }))
      << "the second start brings the first back";

  ASSERT_TRUE(x.Origin(window, left, top));
  click(647, 20);  // the close picture
  EXPECT_EQ(wizard.Wait(), 0);
}

}  // namespace
