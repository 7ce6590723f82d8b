#pragma once

#include <cstdint>
#include <functional>
#include <list>
#include <mutex>
#include <string>

#include "platform/clock.h"

namespace platform {

// Virtual time for tests and simulations. Time stands still while any participating thread runs;
// when every participant is blocked in a clock wait, time jumps to the earliest deadline and
// that waiter wakes. A notify makes its waiter runnable at once (it counts as running before it
// is scheduled, so time cannot slip past it). The creating thread and every platform::Thread
// started while this clock is installed participate. When every participant waits without a
// deadline the clock prints a deadlock report naming the waiters and aborts, so that a test fails
// instead of hanging.
class VirtualClock final : public Clock {
 public:
  struct Options {
    uint32_t start_tick = 0;
    LocalTime start_local{2026, 1, 1, 9, 0, 0, 0, 4};
  };

  VirtualClock();
  explicit VirtualClock(Options options);
  ~VirtualClock() override;

  uint64_t NowMs() override;
  uint32_t Tick() override;
  LocalTime Local() override;
  bool IsVirtual() const override { return true; }
  bool Wait(CondVar& cv, std::unique_lock<std::mutex>& lock, std::optional<uint64_t> deadline_ms) override;
  void NotifyAll(CondVar& cv) override;
  void ThreadCreated() override;
  void ThreadExited() override;

  // Blocks the calling participant until it is the only one left: every other thread of the
  // clock has ended. A thread that waits forever meanwhile is reported as a deadlock.
  void WaitForOtherThreads();
  int Participants();

 private:
  struct Waiter;
  void BlockLocked(Waiter& w, std::unique_lock<std::mutex>& guard);
  void AdvanceLocked();
  void WakeLocked(Waiter& w, bool timed_out);
  std::string ReportLocked();

  std::mutex mutex_;
  const Options options_;
  uint64_t now_ = 0;
  int running_ = 1;       // participants not blocked in a clock wait
  int participants_ = 1;  // the creating thread counts
  std::list<Waiter*> waiters_;
  CondVar others_done_{"the other threads of the clock to end"};
};

// Installs a fresh virtual clock for one test (or simulation) and removes it again. The thread
// that creates it becomes the main thread. The destructor first waits for every other thread of
// the clock to end.
class ScopedVirtualClock {
 public:
  ScopedVirtualClock();
  explicit ScopedVirtualClock(VirtualClock::Options options);
  ~ScopedVirtualClock();
  VirtualClock& clock() { return clock_; }
  VirtualClock* operator->() { return &clock_; }

 private:
  VirtualClock clock_;
};

}  // namespace platform
