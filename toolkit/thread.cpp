#include "toolkit/thread.h"

#include "toolkit/application.h"

TThread::TThread(std::string name) : name_(std::move(name)) {}

TThread::~TThread() {
  if (thread_ && thread_->Joinable()) {
    Terminate();
    thread_->Join();
  }
}

void TThread::Start() {
  const bool free_on_terminate = FreeOnTerminate;
  thread_ = std::make_unique<platform::Thread>(name_, [this, free_on_terminate] {
    Execute();
    finished_.store(true);
    // The completion handler runs on the main thread. A FreeOnTerminate thread belongs to its
    // completion message from now on: it is deleted with the message, run or not.
    std::shared_ptr<TThread> owner(free_on_terminate ? this : nullptr);
    Application->Post([this, owner] { DoTerminate(); });
  });
  // Nobody waits for a thread that frees itself.
  if (free_on_terminate) thread_->Detach();
}

void TThread::DoTerminate() {
  if (OnTerminate) OnTerminate(this);
}

void TThread::WaitFor() {
  if (thread_ && thread_->Joinable()) thread_->Join();
}

void TThread::Synchronize(const std::function<void()>& call) { Application->Synchronize(call); }

void TThread::Queue(std::function<void()> call) { Application->Post(std::move(call)); }
