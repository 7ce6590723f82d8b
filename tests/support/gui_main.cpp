// The main of the gui tests: one Xvfb for the test program; without it every test skips.
#include <gtest/gtest.h>

#include "gui_environment.h"
#include "xvfb.h"

namespace {
std::string g_reason;
}

const std::string& GuiSkipReason() { return g_reason; }

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // Listing the tests needs no display.
  std::unique_ptr<Xvfb> server;
  if (!::testing::GTEST_FLAG(list_tests)) server = Xvfb::Start(g_reason);
  return RUN_ALL_TESTS();
}
