#include <gtest/gtest.h>

#include "platform/clock.h"

namespace {

TEST(HostClock, SleepTakesRealTime) {
  const uint32_t start = platform::TimeGetTime();
  platform::Sleep(50);
  const uint32_t elapsed = platform::TimeGetTime() - start;
  EXPECT_GE(elapsed, 50u);
  EXPECT_LT(elapsed, 150u);
}

}  // namespace
