#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>

#include "platform/clock.h"
#include "platform/thread.h"
#include "platform/wait_keeper.h"

namespace {

TEST(HostClock, SleepTakesRealTime) {
  const uint32_t start = platform::TimeGetTime();
  platform::Sleep(50);
  const uint32_t elapsed = platform::TimeGetTime() - start;
  EXPECT_GE(elapsed, 50u);
  EXPECT_LT(elapsed, 150u);
}

// Counts its calls; a wait of its own (as drawing may wait for a font) waits whole.
class CountingKeeper : public platform::WaitKeeper {
 public:
  CountingKeeper() { platform::InstallWaitKeeper(this); }
  ~CountingKeeper() override { platform::InstallWaitKeeper(nullptr); }
  void KeepAlive() override {
    ++calls;
    deepest = std::max(deepest, ++depth);
    platform::Sleep(5);
    --depth;
  }
  std::atomic<int> calls{0};
  int depth = 0, deepest = 0;
};

double ElapsedMs(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since).count();
}

// A wait of the main thread keeps the windows alive: the keeper runs between slices of at most
// kWaitSliceMs, and the wait still ends at its deadline.
TEST(HostClock, AWaitOfTheMainThreadCallsTheKeeperBetweenItsSlices) {
  platform::MarkMainThread();
  CountingKeeper keeper;
  const auto start = std::chrono::steady_clock::now();
  platform::Sleep(350);
  const double elapsed = ElapsedMs(start);
  EXPECT_GE(keeper.calls.load(), 2);
  EXPECT_LE(keeper.calls.load(), 3);
  EXPECT_GE(elapsed, 349.0);
  EXPECT_LT(elapsed, 1350.0);
  EXPECT_EQ(keeper.deepest, 1) << "the keeper's own wait called it again";
}

// A slice's end is a spurious wake-up to the waiter, which waits on for its condition; a notify
// ends the wait at once.
TEST(HostClock, ASlicedWaitWithoutDeadlineEndsAtTheNotify) {
  platform::MarkMainThread();
  CountingKeeper keeper;
  std::mutex mutex;
  platform::CondVar ready("the test's condition");
  bool done = false;
  const auto start = std::chrono::steady_clock::now();
  platform::Thread notifier("notifier", [&] {
    platform::Sleep(250);
    std::lock_guard<std::mutex> lock(mutex);
    done = true;
    ready.NotifyAll();
  });
  {
    std::unique_lock<std::mutex> lock(mutex);
    ready.Wait(lock, [&] { return done; });
  }
  const double elapsed = ElapsedMs(start);
  notifier.Join();
  EXPECT_GE(keeper.calls.load(), 1);
  EXPECT_GE(elapsed, 249.0);
  EXPECT_LT(elapsed, 1250.0);
}

}  // namespace
