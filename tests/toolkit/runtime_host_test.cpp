#include <gtest/gtest.h>

#include "link/delay.h"
#include "platform/clock.h"
#include "platform/thread.h"
#include "toolkit/application.h"
#include "toolkit/thread.h"
#include "toolkit/timer.h"

namespace {

// The runtime's behaviours on the real clock; the upper bounds leave room for a loaded machine.
class HostRuntimeTest : public ::testing::Test {
 protected:
  HostRuntimeTest() { platform::MarkMainThread(); }
  uint32_t Elapsed(uint32_t since) { return platform::TimeGetTime() - since; }
  TApplication app_;
};

TEST_F(HostRuntimeTest, TimerFiresAfterItsIntervalWhileTheLoopWaits) {
  TTimer timer(&app_);
  timer.SetInterval(200);
  bool fired = false;
  timer.OnTimer = [&](TObject*) { fired = true; };
  const uint32_t start = platform::TimeGetTime();
  while (!fired) app_.HandleMessage();
  EXPECT_GE(Elapsed(start), 200u);
  EXPECT_LT(Elapsed(start), 400u);
}

TEST_F(HostRuntimeTest, DelayPumpsForItsTime) {
  int pumped = 0;
  app_.Post([&] { ++pumped; });
  const uint32_t start = platform::TimeGetTime();
  Delay(100, true);
  EXPECT_GT(Elapsed(start), 100u);
  EXPECT_LT(Elapsed(start), 300u);
  EXPECT_EQ(pumped, 1);
}

TEST_F(HostRuntimeTest, AWorkerHandsItsResultToTheMainThread) {
  class Worker : public TThread {
   protected:
    void Execute() override { platform::Sleep(50); }
  };
  auto* worker = new Worker;
  worker->FreeOnTerminate = true;
  bool on_main = false, done = false;
  worker->OnTerminate = [&](TObject*) {
    on_main = platform::IsMainThread();
    done = true;
  };
  worker->Start();
  const uint32_t start = platform::TimeGetTime();
  while (!done) app_.HandleMessage();
  EXPECT_TRUE(on_main);
  EXPECT_GE(Elapsed(start), 40u);
  EXPECT_LT(Elapsed(start), 300u);
}

}  // namespace
