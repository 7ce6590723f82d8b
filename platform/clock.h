#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/local_time.h"

namespace platform {

class CondVar;

// The one clock of the program. Every wait of the program (sleep, message-loop idle wait,
// socket wait, thread join, cross-thread call) is a wait on a CondVar of this clock, so that the
// virtual clock can tell when every thread is blocked and move time on.
class Clock {
 public:
  virtual ~Clock() = default;

  // Milliseconds since the clock's origin; never goes back.
  virtual uint64_t NowMs() = 0;
  // The millisecond tick of the platform's timeGetTime: wraps at 2^32.
  virtual uint32_t Tick() = 0;
  virtual LocalTime Local() = 0;
  virtual bool IsVirtual() const = 0;

  // Blocks on cv, with `lock` held on entry and on return, until notified or until NowMs()
  // reaches the deadline. Returns false when the deadline passed. Spurious wake-ups may occur;
  // callers wait in a loop on their condition.
  virtual bool Wait(CondVar& cv, std::unique_lock<std::mutex>& lock, std::optional<uint64_t> deadline_ms) = 0;
  virtual void NotifyAll(CondVar& cv) = 0;

  // Thread participation, called by platform::Thread: created (before the OS thread starts),
  // then exited (after its body returned).
  virtual void ThreadCreated() = 0;
  virtual void ThreadExited() = 0;
};

// A condition variable of the program's clock. `what` names the wait in deadlock reports.
class CondVar {
 public:
  explicit CondVar(const char* what = "condition") : what_(what) {}
  CondVar(const CondVar&) = delete;
  CondVar& operator=(const CondVar&) = delete;

  void Wait(std::unique_lock<std::mutex>& lock);
  // False when the deadline (in NowMs() terms) passed.
  bool WaitUntil(std::unique_lock<std::mutex>& lock, uint64_t deadline_ms);
  bool WaitFor(std::unique_lock<std::mutex>& lock, uint64_t timeout_ms);
  template <class Predicate>
  bool WaitUntil(std::unique_lock<std::mutex>& lock, uint64_t deadline_ms, Predicate done) {
    while (!done()) {
      if (!WaitUntil(lock, deadline_ms)) return done();
    }
    return true;
  }
  template <class Predicate>
  void Wait(std::unique_lock<std::mutex>& lock, Predicate done) {
    while (!done()) Wait(lock);
  }
  void NotifyAll();

  const char* what() const { return what_; }
  std::condition_variable& native() { return native_; }

 private:
  const char* what_;
  std::condition_variable native_;  // used by the real clock
};

// The clock in use. The real clock unless a test or the simulation installed another.
Clock& CurrentClock();
// Installs a clock for the whole process (or the real one again with nullptr). Done once at
// start-up, or by a test before it starts any thread.
void InstallClock(Clock* clock);

// The platform calls of the program, on the clock in use.
uint32_t TimeGetTime();
void Sleep(uint32_t ms);
LocalTime GetLocalTime();

// The clock of the host: the OS monotonic clock and the system's local time.
Clock& RealClock();

}  // namespace platform
