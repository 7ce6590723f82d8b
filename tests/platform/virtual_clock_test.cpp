#include "platform/virtual_clock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <vector>

#include "platform/clock.h"
#include "platform/thread.h"
#include "platform/wait_keeper.h"

namespace {

using platform::ScopedVirtualClock;
using platform::VirtualClock;

// Wall time, to show that virtual waits cost none of it.
double WallMs(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

TEST(VirtualClock, LongSleepEndsAtItsTickAndCostsNoWallTime) {
  VirtualClock::Options options;
  options.start_tick = 1000;
  ScopedVirtualClock clock(options);
  const double wall = WallMs([] { platform::Sleep(90'000); });
  EXPECT_EQ(platform::TimeGetTime(), 91'000u);
  EXPECT_LT(wall, 100.0);
}

TEST(VirtualClock, SleepingThreadsWakeInOrderOfTheirDeadlines) {
  ScopedVirtualClock clock;
  std::mutex mutex;
  std::vector<std::pair<int, uint32_t>> woke;
  auto sleeper = [&](int id, uint32_t ms) {
    return platform::Thread("sleeper", [&, id, ms] {
      platform::Sleep(ms);
      std::lock_guard<std::mutex> lock(mutex);
      woke.emplace_back(id, platform::TimeGetTime());
    });
  };
  platform::Thread late = sleeper(2, 500);
  platform::Thread early = sleeper(1, 300);
  late.Join();
  early.Join();
  ASSERT_EQ(woke.size(), 2u);
  EXPECT_EQ(woke[0], std::make_pair(1, 300u));
  EXPECT_EQ(woke[1], std::make_pair(2, 500u));
}

// The virtual clock's waits need no slices: with a keeper of the windows installed, a wait of the
// main thread still ends exactly at its deadline, without the keeper.
TEST(VirtualClock, AKeeperOfTheWindowsLeavesTheWaitsWhole) {
  ScopedVirtualClock clock;
  struct Keeper : platform::WaitKeeper {
    int calls = 0;
    void KeepAlive() override { ++calls; }
  } keeper;
  platform::InstallWaitKeeper(&keeper);
  platform::Sleep(15'000);
  platform::InstallWaitKeeper(nullptr);
  EXPECT_EQ(clock->NowMs(), 15'000u);
  EXPECT_EQ(keeper.calls, 0);
}

TEST(VirtualClock, TickWrapsAtTwoToTheThirtyTwo) {
  VirtualClock::Options options;
  options.start_tick = 0xFFFFFF00u;
  ScopedVirtualClock clock(options);
  platform::Sleep(0x200);
  EXPECT_EQ(platform::TimeGetTime(), 0x100u);
  EXPECT_EQ(clock->NowMs(), 0x200u);
}

TEST(VirtualClock, NotifyWakesTheWaiterBeforeItsDeadline) {
  ScopedVirtualClock clock;
  std::mutex mutex;
  platform::CondVar ready("ready");
  bool flag = false;
  uint64_t woke_at = 0;
  platform::Thread waiter("waiter", [&] {
    std::unique_lock<std::mutex> lock(mutex);
    EXPECT_TRUE(ready.WaitUntil(lock, 1000, [&] { return flag; }));
    woke_at = platform::CurrentClock().NowMs();
  });
  platform::Sleep(100);
  {
    std::lock_guard<std::mutex> lock(mutex);
    flag = true;
    ready.NotifyAll();
  }
  waiter.Join();
  EXPECT_EQ(woke_at, 100u);
}

TEST(VirtualClock, WaitTimesOutAtTheDeadline) {
  ScopedVirtualClock clock;
  std::mutex mutex;
  platform::CondVar never("nothing");
  std::unique_lock<std::mutex> lock(mutex);
  EXPECT_FALSE(never.WaitFor(lock, 15'000));
  EXPECT_EQ(clock->NowMs(), 15'000u);
}

TEST(VirtualClock, LocalTimeMovesWithTheClock) {
  VirtualClock::Options options;
  options.start_local = {2024, 12, 31, 23, 59, 7, 0, 2};
  ScopedVirtualClock clock(options);
  platform::Sleep(60'000);
  const platform::LocalTime t = platform::GetLocalTime();
  EXPECT_EQ(t.year, 2025);
  EXPECT_EQ(t.month, 1);
  EXPECT_EQ(t.day, 1);
  EXPECT_EQ(t.hour, 0);
  EXPECT_EQ(t.minute, 0);
  EXPECT_EQ(t.second, 7);
  EXPECT_EQ(t.day_of_week, 3);
}

TEST(VirtualClockDeathTest, EveryoneWaitingForeverIsReportedWithTheWaiters) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(
      {
        ScopedVirtualClock clock;
        std::mutex mutex;
        platform::CondVar reply("a reply that never comes");
        platform::Thread stuck("receiver", [&] {
          std::unique_lock<std::mutex> lock(mutex);
          reply.Wait(lock);
        });
        std::unique_lock<std::mutex> lock(mutex);
        platform::CondVar nothing("the main thread's own event");
        nothing.Wait(lock);
      },
      "deadlock(.|\n)*(('receiver' waits for a reply that never comes(.|\n)*'main' waits for the main thread's own "
      "event)|('main' waits for the main thread's own event(.|\n)*'receiver' waits for a reply that never comes))");
}

}  // namespace
