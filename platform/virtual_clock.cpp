#include "platform/virtual_clock.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "platform/thread.h"

namespace platform {

namespace detail {
// Set for the threads that take part in the installed virtual clock (see thread.cpp).
thread_local VirtualClock* t_participant_of = nullptr;
}  // namespace detail

struct VirtualClock::Waiter {
  Waiter(CondVar* c, std::optional<uint64_t> d, std::string t) : cv(c), deadline(d), thread(std::move(t)) {}
  CondVar* cv;
  std::optional<uint64_t> deadline;
  std::string thread;
  bool woken = false;
  bool timed_out = false;
  std::condition_variable wake;
};

VirtualClock::VirtualClock() : VirtualClock(Options{}) {}

VirtualClock::VirtualClock(Options options) : options_(options) { detail::t_participant_of = this; }

VirtualClock::~VirtualClock() {
  if (detail::t_participant_of == this) detail::t_participant_of = nullptr;
}

uint64_t VirtualClock::NowMs() {
  std::lock_guard<std::mutex> lock(mutex_);
  return now_;
}

uint32_t VirtualClock::Tick() {
  std::lock_guard<std::mutex> lock(mutex_);
  return static_cast<uint32_t>(options_.start_tick + now_);
}

LocalTime VirtualClock::Local() {
  std::lock_guard<std::mutex> lock(mutex_);
  return EpochMsToLocalTime(LocalTimeToEpochMs(options_.start_local) + static_cast<int64_t>(now_));
}

bool VirtualClock::Wait(CondVar& cv, std::unique_lock<std::mutex>& lock, std::optional<uint64_t> deadline_ms) {
  if (detail::t_participant_of != this) {
    std::fprintf(stderr, "virtual clock: thread '%s' waits on '%s' but does not take part in the clock\n",
                 CurrentThreadName().c_str(), cv.what());
    std::abort();
  }
  std::unique_lock<std::mutex> guard(mutex_);
  Waiter w(&cv, deadline_ms, CurrentThreadName());
  // Registered while the caller still holds its lock, so a notify that follows a change of the
  // caller's state finds this waiter.
  waiters_.push_back(&w);
  lock.unlock();
  BlockLocked(w, guard);
  guard.unlock();
  lock.lock();
  return !w.timed_out;
}

void VirtualClock::BlockLocked(Waiter& w, std::unique_lock<std::mutex>& guard) {
  --running_;
  if (running_ == 0) AdvanceLocked();
  while (!w.woken) w.wake.wait(guard);
}

void VirtualClock::WakeLocked(Waiter& w, bool timed_out) {
  w.woken = true;
  w.timed_out = timed_out;
  ++running_;
  waiters_.remove(&w);
  w.wake.notify_one();
}

void VirtualClock::NotifyAll(CondVar& cv) {
  std::lock_guard<std::mutex> guard(mutex_);
  std::vector<Waiter*> hit;
  for (Waiter* w : waiters_) {
    if (w->cv == &cv) hit.push_back(w);
  }
  for (Waiter* w : hit) WakeLocked(*w, false);
}

void VirtualClock::AdvanceLocked() {
  std::optional<uint64_t> earliest;
  for (Waiter* w : waiters_) {
    if (w->deadline && (!earliest || *w->deadline < *earliest)) earliest = w->deadline;
  }
  if (!earliest) {
    const std::string report = ReportLocked();
    std::fprintf(stderr, "%s", report.c_str());
    std::abort();
  }
  now_ = std::max(now_, *earliest);
  std::vector<Waiter*> due;
  for (Waiter* w : waiters_) {
    if (w->deadline && *w->deadline <= now_) due.push_back(w);
  }
  for (Waiter* w : due) WakeLocked(*w, true);
}

std::string VirtualClock::ReportLocked() {
  std::ostringstream out;
  out << "virtual clock: deadlock at " << now_ << " ms: every thread waits without a deadline\n";
  for (const Waiter* w : waiters_) {
    out << "  thread '" << w->thread << "' waits for " << w->cv->what() << "\n";
  }
  return out.str();
}

void VirtualClock::ThreadCreated() {
  std::lock_guard<std::mutex> guard(mutex_);
  ++participants_;
  ++running_;
}

void VirtualClock::ThreadExited() {
  std::lock_guard<std::mutex> guard(mutex_);
  --participants_;
  if (participants_ == 1) {
    std::vector<Waiter*> hit;
    for (Waiter* w : waiters_) {
      if (w->cv == &others_done_) hit.push_back(w);
    }
    for (Waiter* w : hit) WakeLocked(*w, false);
  }
  --running_;
  if (running_ == 0 && !waiters_.empty()) AdvanceLocked();
}

int VirtualClock::Participants() {
  std::lock_guard<std::mutex> guard(mutex_);
  return participants_;
}

void VirtualClock::WaitForOtherThreads() {
  std::unique_lock<std::mutex> guard(mutex_);
  while (participants_ > 1) {
    Waiter w(&others_done_, std::nullopt, CurrentThreadName());
    waiters_.push_back(&w);
    BlockLocked(w, guard);
  }
}

ScopedVirtualClock::ScopedVirtualClock() : ScopedVirtualClock(VirtualClock::Options{}) {}

ScopedVirtualClock::ScopedVirtualClock(VirtualClock::Options options) : clock_(options) {
  MarkMainThread();
  InstallClock(&clock_);
}

ScopedVirtualClock::~ScopedVirtualClock() {
  clock_.WaitForOtherThreads();
  InstallClock(nullptr);
}

}  // namespace platform
