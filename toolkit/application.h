#pragma once

#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/clock.h"
#include "toolkit/component.h"

class TForm;
class TTimer;

// Where the message loop waits when it has nothing to do, and where input from the OS comes
// from. Without one installed the loop waits on the program's clock; the on-screen presenter
// installs itself here.
class TEventSource {
 public:
  virtual ~TEventSource() = default;
  // Main thread: turns the OS input that arrived into model events; returns whether there was
  // any. Input is work like a posted message: a handler it ran may have ended a modal loop.
  virtual bool DispatchPending() = 0;
  // Main thread: blocks until input arrives, Wake() is called or the deadline (clock ms) passes.
  // What it raises (drawing the windows before the wait) the loop shows like a handler's.
  virtual void WaitIdle(std::optional<uint64_t> deadline_ms) = 0;
  // Any thread: ends a WaitIdle.
  virtual void Wake() = 0;
};

// The framework's application object: title, main form, message loop, timers, modal loops and
// the hand-over of work from other threads to the main thread.
class TApplication : public TComponent {
 public:
  TApplication();
  ~TApplication() override;
  std::string ClassName() const override { return "TApplication"; }

  const std::string& Title() const { return title_; }
  void SetTitle(std::string title);
  void Initialize() {}

  // Creates a form owned by the application, stores it in `global` and then runs its creation
  // handler. The first form created becomes the main form.
  template <class T>
  void CreateForm(T*& global) {
    T* form = new T(this);
    global = form;
    AdoptForm(form);
  }
  TForm* MainForm() const { return main_form_; }

  // Shows the main form and runs the message loop until Terminate (closing the main form).
  void Run();
  // Runs every posted message, the pending input and every due timer once, then returns.
  void ProcessMessages();
  // One turn of the loop: does the pending work, or waits for some when there is none.
  void HandleMessage();
  void Terminate();
  bool Terminated() const { return terminated_; }

  // Shows an exception that escaped a handler or the start-up. Without a display installed it
  // is recorded (see ShownExceptions).
  void ShowException(const std::exception& e);
  // Inside a catch block: shows the exception being handled. One of the framework's exceptions
  // is shown with its message; anything else as one with an empty message, its own text going
  // to the trace after `where`. The message loop does this with whatever a handler lets
  // escape, and goes on.
  void HandleException(std::string_view where);
  using ExceptionDisplay = std::function<void(const std::string& message)>;
  void SetExceptionDisplay(ExceptionDisplay display) { exception_display_ = std::move(display); }
  const std::vector<std::string>& ShownExceptions() const { return shown_exceptions_; }

  // Any thread: queues a call for the main thread and wakes the loop.
  void Post(std::function<void()> message);
  // Any thread: runs `call` on the main thread and waits for it; on the main thread it runs at
  // once. An exception thrown by the call is re-raised in the caller.
  void Synchronize(const std::function<void()>& call);

  void SetEventSource(TEventSource* source) { event_source_ = source; }
  TEventSource* EventSource() const { return event_source_; }

  // Minimises or restores every window of the program (the presenter shows it).
  void Minimize();
  void Restore();
  bool Minimized() const { return minimized_; }

  // Modal forms, innermost last. Input reaches only the innermost modal form.
  const std::vector<TForm*>& ModalForms() const { return modal_forms_; }
  void RunModalLoop(TForm* form);
  // The window that takes the keyboard and comes to the front: the innermost modal form, else
  // the main form.
  TForm* ActiveForm() const { return modal_forms_.empty() ? main_form_ : modal_forms_.back(); }

  // Timers register themselves.
  void AddTimer(TTimer* timer);
  void RemoveTimer(TTimer* timer);

 private:
  void AdoptForm(TForm* form);
  bool DoPendingWork();
  template <typename Work>
  void Guarded(Work&& work);
  std::optional<uint64_t> NextTimerDeadline() const;

  std::string title_;
  TForm* main_form_ = nullptr;
  bool terminated_ = false;
  bool minimized_ = false;
  std::vector<TForm*> modal_forms_;
  std::vector<TTimer*> timers_;
  TEventSource* event_source_ = nullptr;
  ExceptionDisplay exception_display_;
  std::vector<std::string> shown_exceptions_;

  std::mutex queue_mutex_;
  platform::CondVar queue_ready_{"the message loop to get work"};
  std::deque<std::pair<uint64_t, std::function<void()>>> queue_;  // numbered in the order posted
  uint64_t posted_ = 0;
};

// The application object of the program (created by the program main, or by a test).
extern TApplication* Application;
