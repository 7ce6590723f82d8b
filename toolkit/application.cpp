#include "toolkit/application.h"

#include <algorithm>
#include <exception>

#include "platform/exception.h"
#include "platform/log_debug.h"
#include "toolkit/form.h"
#include "toolkit/main_thread.h"
#include "toolkit/timer.h"

TApplication* Application = nullptr;

TApplication::TApplication() : TComponent(nullptr) {
  if (!Application) Application = this;
}

TApplication::~TApplication() {
  // Forms and timers go while the application object still stands.
  while (!Components().empty()) delete Components().back();
  if (Application == this) Application = nullptr;
}

void TApplication::SetTitle(std::string title) { title_ = std::move(title); }

void TApplication::AdoptForm(TForm* form) {
  form->AfterConstruction();
  if (!main_form_) main_form_ = form;
}

void TApplication::Run() {
  TK_ASSERT_MAIN_THREAD("the message loop");
  if (!main_form_) return;
  main_form_->Show();
  while (!terminated_) HandleMessage();
}

void TApplication::Terminate() {
  terminated_ = true;
  if (event_source_) event_source_->Wake();
}

void TApplication::ShowException(const std::exception& e) {
  const std::string message = e.what();
  shown_exceptions_.push_back(message);
  if (exception_display_) exception_display_(message);
}

void TApplication::HandleException(std::string_view where) {
  try {
    throw;
  } catch (const platform::Exception& e) {
    ShowException(e);
  } catch (const std::exception& e) {
    LogDebug(std::string(where) + "- " + e.what());
    ShowException(platform::Exception(""));
  } catch (...) {
    ShowException(platform::Exception(""));
  }
}

template <typename Work>
void TApplication::Guarded(Work&& work) {
  try {
    work();
  } catch (...) {
    HandleException("TApplication::HandleMessage");
  }
}

void TApplication::Post(std::function<void()> message) {
  // Once the lock is released the message may run and the application object go (a worker's
  // completion is often the last message awaited): nothing of it is touched after that.
  TEventSource* source = nullptr;
  {
    std::lock_guard<std::mutex> lock(queue_mutex_);
    queue_.push_back({++posted_, std::move(message)});
    source = event_source_;
    queue_ready_.NotifyAll();
  }
  if (source) source->Wake();
}

void TApplication::Synchronize(const std::function<void()>& call) {
  if (platform::IsMainThread()) {
    call();
    return;
  }
  std::mutex mutex;
  platform::CondVar done_cv("a call on the main thread");
  bool done = false;
  std::exception_ptr error;
  Post([&] {
    try {
      call();
    } catch (...) {
      error = std::current_exception();
    }
    std::lock_guard<std::mutex> lock(mutex);
    done = true;
    done_cv.NotifyAll();
  });
  std::unique_lock<std::mutex> lock(mutex);
  done_cv.Wait(lock, [&] { return done; });
  if (error) std::rethrow_exception(error);
}

void TApplication::Minimize() { minimized_ = true; }

void TApplication::Restore() { minimized_ = false; }

void TApplication::RunModalLoop(TForm* form) {
  modal_forms_.push_back(form);
  while (!terminated_) {
    if (form->ModalResult() != mrNone) {
      TCloseAction action = TCloseAction::caHide;
      if (form->OnClose) form->OnClose(form, action);
      if (action != TCloseAction::caNone) break;
      form->SetModalResult(mrNone);
    }
    HandleMessage();
  }
  modal_forms_.erase(std::remove(modal_forms_.begin(), modal_forms_.end(), form), modal_forms_.end());
}

void TApplication::AddTimer(TTimer* timer) { timers_.push_back(timer); }

void TApplication::RemoveTimer(TTimer* timer) {
  timers_.erase(std::remove(timers_.begin(), timers_.end(), timer), timers_.end());
}

std::optional<uint64_t> TApplication::NextTimerDeadline() const {
  std::optional<uint64_t> next;
  for (const TTimer* t : timers_) {
    if (t->Running() && (!next || t->Due() < *next)) next = t->Due();
  }
  return next;
}

bool TApplication::DoPendingWork() {
  bool did = false;
  // A handler that throws ends its own piece of work, not the loop: the exception is shown and
  // the rest of the turn runs.
  if (event_source_) {
    // Input whose handler threw was input all the same.
    bool input = true;
    Guarded([this, &input] { input = event_source_->DispatchPending(); });
    did = input;
  }
  // The messages present now; what they post runs on the next turn. Each stays in the queue until
  // it runs: one that opens a modal window runs a loop of its own, which takes the ones behind it.
  uint64_t last = 0;
  {
    std::lock_guard<std::mutex> lock(queue_mutex_);
    last = posted_;
  }
  for (;;) {
    std::function<void()> message;
    {
      std::lock_guard<std::mutex> lock(queue_mutex_);
      if (queue_.empty() || queue_.front().first > last) break;
      message = std::move(queue_.front().second);
      queue_.pop_front();
    }
    did = true;
    Guarded(message);
  }
  const uint64_t now = platform::CurrentClock().NowMs();
  const std::vector<TTimer*> timers = timers_;
  for (TTimer* t : timers) {
    if (std::find(timers_.begin(), timers_.end(), t) == timers_.end()) continue;  // freed by a handler
    if (t->Running() && t->Due() <= now) {
      did = true;
      Guarded([t] { t->Fire(); });
    }
  }
  for (TForm* form : Screen->Forms()) {
    if (form->MouseInside()) form->UpdateHover();
  }
  return did;
}

void TApplication::ProcessMessages() {
  TK_ASSERT_MAIN_THREAD("the message loop");
  DoPendingWork();
}

void TApplication::HandleMessage() {
  TK_ASSERT_MAIN_THREAD("the message loop");
  if (DoPendingWork() || terminated_) return;
  const std::optional<uint64_t> deadline = NextTimerDeadline();
  if (event_source_) {
    // The source brings the windows up to date before it waits, and drawing may raise (a picture
    // that does not decode): shown like a handler's exception, it ends this turn's wait.
    Guarded([this, deadline] { event_source_->WaitIdle(deadline); });
    return;
  }
  std::unique_lock<std::mutex> lock(queue_mutex_);
  if (!queue_.empty()) return;
  if (deadline) {
    queue_ready_.WaitUntil(lock, *deadline);
  } else {
    queue_ready_.Wait(lock);
  }
}
