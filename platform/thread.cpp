#include "platform/thread.h"

#include <atomic>
#include <mutex>
#include <thread>

#include "platform/clock.h"
#include "platform/virtual_clock.h"

namespace platform {

namespace detail {
extern thread_local VirtualClock* t_participant_of;
}

namespace {
thread_local std::string t_name = "main";
thread_local bool t_is_main = false;
}  // namespace

struct Thread::State {
  std::mutex mutex;
  CondVar ended{"a thread to end"};
  bool done = false;
  std::thread native;
};

Thread::Thread(std::string name, std::function<void()> body) : state_(std::make_shared<State>()) {
  Clock& clock = CurrentClock();
  VirtualClock* participant_of = clock.IsVirtual() ? static_cast<VirtualClock*>(&clock) : nullptr;
  clock.ThreadCreated();
  try {
    state_->native =
        std::thread([state = state_, name = std::move(name), body = std::move(body), &clock, participant_of]() mutable {
          t_name = name;
          detail::t_participant_of = participant_of;
          body();
          body = nullptr;  // what the body captured is released while the thread still counts
          {
            std::lock_guard<std::mutex> lock(state->mutex);
            state->done = true;
            state->ended.NotifyAll();
          }
          clock.ThreadExited();
        });
  } catch (...) {
    // No thread was made (std::system_error): the clock does not wait for it.
    clock.ThreadExited();
    throw;
  }
}

Thread::Thread(Thread&&) noexcept = default;
Thread& Thread::operator=(Thread&&) noexcept = default;

Thread::~Thread() {
  if (state_ && state_->native.joinable()) std::terminate();
}

void Thread::Join() {
  {
    std::unique_lock<std::mutex> lock(state_->mutex);
    state_->ended.Wait(lock, [&] { return state_->done; });
  }
  state_->native.join();
}

void Thread::Detach() { state_->native.detach(); }

bool Thread::Joinable() const { return state_ && state_->native.joinable(); }

std::string CurrentThreadName() { return t_name; }

void MarkMainThread() { t_is_main = true; }

bool IsMainThread() { return t_is_main; }

}  // namespace platform
