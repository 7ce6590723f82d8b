#include "platform/clock.h"

#include <atomic>
#include <chrono>
#include <ctime>

#include "platform/wait_keeper.h"

namespace platform {
namespace {

class HostClock final : public Clock {
 public:
  uint64_t NowMs() override {
    return static_cast<uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count());
  }
  uint32_t Tick() override { return static_cast<uint32_t>(NowMs()); }
  LocalTime Local() override {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm parts{};
    localtime_r(&now.tv_sec, &parts);
    LocalTime t;
    t.year = parts.tm_year + 1900;
    t.month = parts.tm_mon + 1;
    t.day = parts.tm_mday;
    t.hour = parts.tm_hour;
    t.minute = parts.tm_min;
    t.second = parts.tm_sec;
    t.milliseconds = static_cast<int>(now.tv_nsec / 1'000'000);
    t.day_of_week = parts.tm_wday;
    return t;
  }
  bool IsVirtual() const override { return false; }
  bool Wait(CondVar& cv, std::unique_lock<std::mutex>& lock, std::optional<uint64_t> deadline_ms) override {
    if (WaitsInSlices()) {
      // The main thread keeps the windows alive between slices. The end of a slice is a
      // spurious wake-up: the caller looks at its condition and waits again, for what is left.
      const uint64_t slice_end = NowMs() + kWaitSliceMs;
      if (!deadline_ms || *deadline_ms > slice_end) {
        if (cv.native().wait_until(lock, TimePoint(slice_end)) == std::cv_status::no_timeout) return true;
        lock.unlock();
        KeepWindowsAlive();
        lock.lock();
        return true;
      }
    }
    if (!deadline_ms) {
      cv.native().wait(lock);
      return true;
    }
    return cv.native().wait_until(lock, TimePoint(*deadline_ms)) == std::cv_status::no_timeout ||
           NowMs() < *deadline_ms;
  }
  void NotifyAll(CondVar& cv) override { cv.native().notify_all(); }
  void ThreadCreated() override {}
  void ThreadExited() override {}

 private:
  static std::chrono::steady_clock::time_point TimePoint(uint64_t ms) {
    return std::chrono::steady_clock::time_point{std::chrono::milliseconds(ms)};
  }
};

HostClock g_host_clock;
std::atomic<Clock*> g_clock{&g_host_clock};

}  // namespace

Clock& RealClock() { return g_host_clock; }

Clock& CurrentClock() { return *g_clock.load(std::memory_order_acquire); }

void InstallClock(Clock* clock) { g_clock.store(clock ? clock : &g_host_clock, std::memory_order_release); }

void CondVar::Wait(std::unique_lock<std::mutex>& lock) { CurrentClock().Wait(*this, lock, std::nullopt); }

bool CondVar::WaitUntil(std::unique_lock<std::mutex>& lock, uint64_t deadline_ms) {
  return CurrentClock().Wait(*this, lock, deadline_ms);
}

bool CondVar::WaitFor(std::unique_lock<std::mutex>& lock, uint64_t timeout_ms) {
  return WaitUntil(lock, CurrentClock().NowMs() + timeout_ms);
}

void CondVar::NotifyAll() { CurrentClock().NotifyAll(*this); }

uint32_t TimeGetTime() { return CurrentClock().Tick(); }

void Sleep(uint32_t ms) {
  std::mutex mutex;
  CondVar sleeping("Sleep");
  std::unique_lock<std::mutex> lock(mutex);
  const uint64_t deadline = CurrentClock().NowMs() + ms;
  while (sleeping.WaitUntil(lock, deadline)) {
  }
}

LocalTime GetLocalTime() { return CurrentClock().Local(); }

}  // namespace platform
