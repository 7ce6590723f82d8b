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
  thread_ = std::make_unique<platform::Thread>(name_, [this] {
    Execute();
    finished_.store(true);
    // The completion handler runs on the main thread; a FreeOnTerminate thread ends there too.
    Application->Post([this] { DoTerminate(); });
  });
}

void TThread::DoTerminate() {
  if (OnTerminate) OnTerminate(this);
  if (FreeOnTerminate) delete this;
}

void TThread::WaitFor() {
  if (thread_ && thread_->Joinable()) thread_->Join();
}

void TThread::Synchronize(const std::function<void()>& call) { Application->Synchronize(call); }

void TThread::Queue(std::function<void()> call) { Application->Post(std::move(call)); }
