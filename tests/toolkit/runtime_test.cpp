#include <gtest/gtest.h>

#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "link/delay.h"
#include "platform/clock.h"
#include "platform/exception.h"
#include "platform/log_debug.h"
#include "platform/thread.h"
#include "platform/virtual_clock.h"
#include "toolkit/application.h"
#include "toolkit/form.h"
#include "toolkit/thread.h"
#include "toolkit/timer.h"

namespace {

class RuntimeTest : public ::testing::Test {
 protected:
  explicit RuntimeTest(uint32_t start_tick = 0) : clock_(Options(start_tick)) {}
  static platform::VirtualClock::Options Options(uint32_t start_tick) {
    platform::VirtualClock::Options o;
    o.start_tick = start_tick;
    return o;
  }
  uint64_t Now() { return platform::CurrentClock().NowMs(); }
  // Runs the message loop until `done` holds.
  void RunUntil(const std::function<bool()>& done) {
    while (!done()) app_.HandleMessage();
  }

  platform::ScopedVirtualClock clock_;
  TApplication app_;
};

TEST_F(RuntimeTest, TimerFiresAfterItsIntervalAndReEnablingRestartsThePeriod) {
  TTimer timer(&app_);
  timer.SetEnabled(false);
  timer.SetInterval(2000);
  std::vector<uint64_t> fired;
  timer.OnTimer = [&](TObject*) { fired.push_back(Now()); };
  timer.SetEnabled(true);
  RunUntil([&] { return Now() >= 1999; });
  EXPECT_TRUE(fired.empty());
  RunUntil([&] { return !fired.empty(); });
  EXPECT_EQ(fired, std::vector<uint64_t>{2000});

  platform::Sleep(500);  // busy outside the loop; now 2500
  timer.SetEnabled(false);
  timer.SetEnabled(true);
  RunUntil([&] { return fired.size() == 2; });
  EXPECT_EQ(fired.back(), 4500u);
}

TEST_F(RuntimeTest, TimerWaitsForTheLoopAndFiresOnceWhenLongOverdue) {
  TTimer timer(&app_);
  timer.SetInterval(100);
  int count = 0;
  timer.OnTimer = [&](TObject*) { ++count; };
  platform::Sleep(1000);  // ten periods pass with the main thread busy elsewhere
  EXPECT_EQ(count, 0);
  app_.ProcessMessages();
  EXPECT_EQ(count, 1);
  app_.ProcessMessages();
  EXPECT_EQ(count, 1) << "the next period starts when the timer fired";
}

TEST_F(RuntimeTest, DelayPumpsAndEndsAtTheFirstTurnPastItsTime) {
  const uint32_t start = platform::TimeGetTime();
  int pumped = 0;
  app_.Post([&] { ++pumped; });
  Delay(500, true);
  EXPECT_EQ(platform::TimeGetTime() - start, 510u);
  EXPECT_EQ(pumped, 1);
}

class RuntimeNearWrapTest : public RuntimeTest {
 protected:
  RuntimeNearWrapTest() : RuntimeTest(0xFFFFFF00u) {}
};

TEST_F(RuntimeNearWrapTest, DelayIsSafeAcrossTheTickWrap) {
  Delay(500, true);
  EXPECT_EQ(Now(), 510u);
  EXPECT_LT(platform::TimeGetTime(), 0x200u);
}

TEST_F(RuntimeTest, DelayOfZeroMakesOneTurn) {
  Delay(0, false);
  EXPECT_EQ(Now(), 10u);
}

class Worker : public TThread {
 public:
  explicit Worker(std::vector<std::string>& log) : TThread("worker"), log_(log) {}

 protected:
  void Execute() override {
    platform::Sleep(300);
    log_.push_back(platform::IsMainThread() ? "execute on main" : "execute on worker");
  }

 private:
  std::vector<std::string>& log_;
};

TEST_F(RuntimeTest, CompletionHandlerRunsOnTheMainThreadAfterExecute) {
  std::vector<std::string> log;
  bool freed = false;
  auto* worker = new Worker(log);
  worker->FreeOnTerminate = true;
  worker->OnTerminate = [&](TObject*) {
    log.push_back(platform::IsMainThread() ? "terminate on main" : "terminate elsewhere");
    freed = true;
  };
  worker->Start();
  RunUntil([&] { return freed; });
  EXPECT_EQ(log, (std::vector<std::string>{"execute on worker", "terminate on main"}));
  EXPECT_EQ(Now(), 300u);
}

TEST_F(RuntimeTest, SynchronizeReturnsTheMainThreadsResult) {
  int result = 0;
  bool on_main = false;
  bool done = false;
  platform::Thread caller("caller", [&] {
    TThread::Synchronize([&] {
      on_main = platform::IsMainThread();
      result = 42;
    });
    TThread::Queue([&] { done = true; });
  });
  RunUntil([&] { return done; });
  caller.Join();
  EXPECT_TRUE(on_main);
  EXPECT_EQ(result, 42);
}

TEST_F(RuntimeTest, NestedModalLoopsUnwindInOrder) {
  TForm* outer = new TForm(&app_);
  TForm* inner = new TForm(&app_);
  std::vector<std::string> log;
  TTimer opener(&app_);
  opener.SetInterval(100);
  opener.OnTimer = [&](TObject*) {
    opener.SetEnabled(false);
    log.push_back("inner shown");
    inner->ShowModal();
    log.push_back("inner returned");
    outer->Close();
  };
  TTimer closer(&app_);
  closer.SetInterval(300);
  closer.OnTimer = [&](TObject*) {
    closer.SetEnabled(false);
    EXPECT_EQ(app_.ModalForms().back(), inner);
    inner->Close();
  };
  outer->ShowModal();
  log.push_back("outer returned");
  EXPECT_EQ(log, (std::vector<std::string>{"inner shown", "inner returned", "outer returned"}));
  EXPECT_FALSE(inner->Visible());
  EXPECT_FALSE(outer->Visible());
  EXPECT_EQ(Now(), 300u);
}

// A posted message that opens a modal window runs the window's loop inside it. The messages posted
// before it, behind it in the queue, run in that loop: they do not wait for the window to close (a
// worker's call onto the main thread, the datagram of a discovery round).
TEST_F(RuntimeTest, MessagesBehindOneThatOpensAModalWindowRunInsideItsLoop) {
  TForm* dialog = new TForm(&app_);
  TTimer fallback(&app_);
  fallback.SetInterval(1000);
  fallback.OnTimer = [&](TObject*) {
    fallback.SetEnabled(false);
    dialog->Close();
  };
  bool returned = false, ran_inside = false;
  app_.Post([&] {
    dialog->ShowModal();
    returned = true;
  });
  app_.Post([&] {
    ran_inside = dialog->Modal();
    dialog->Close();
  });
  RunUntil([&] { return returned; });
  EXPECT_TRUE(ran_inside);
  EXPECT_EQ(Now(), 0u) << "the message behind waited for the window to close";
}

// Close asks the close query first, of a modal form as of any other, and a refused close changes
// nothing: the modal display goes on, the window stays, the program runs on.
TEST_F(RuntimeTest, CloseAsksTheCloseQueryFirstAndARefusalChangesNothing) {
  TForm* main = nullptr;
  app_.CreateForm(main);
  TForm* other = new TForm(&app_);
  bool allow = false;
  std::vector<std::string> log;
  for (TForm* form : {main, other}) {
    form->OnCloseQuery = [&](TObject* sender, bool& can_close) {
      log.push_back(sender == main ? "query main" : "query other");
      can_close = allow;
    };
    form->OnClose = [&](TObject*, TCloseAction&) { log.push_back("close"); };
  }
  struct Case {
    const char* what;
    TForm* form;
    bool modal;
    std::function<bool()> open;
    const char* query;
  } const cases[] = {
      {"a modal form", other, true, [&] { return other->Modal() && other->ModalResult() == mrNone; }, "query other"},
      {"a form that is not modal", other, false, [&] { return other->Visible(); }, "query other"},
      {"the main form", main, false, [&] { return !app_.Terminated(); }, "query main"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    log.clear();
    allow = false;
    bool open_after_refusal = false;
    auto close_twice = [&] {
      c.form->Close();
      open_after_refusal = c.open();
      allow = true;
      c.form->Close();
    };
    if (c.modal) {
      app_.Post(close_twice);
      EXPECT_EQ(c.form->ShowModal(), mrCancel);
    } else {
      c.form->Show();
      close_twice();
    }
    EXPECT_TRUE(open_after_refusal) << "the refused close changed something";
    EXPECT_FALSE(c.open());
    EXPECT_EQ(log, (std::vector<std::string>{c.query, c.query, "close"}));
  }
}

// Input from the OS is work like a posted message: a click that closes a modal form ends its
// loop at once. Waiting first would leave the dialog on the screen until some later event (a
// mouse move, a second click) woke the loop, which looks as if the click had been ignored.
TEST_F(RuntimeTest, InputThatClosesAModalFormEndsItsLoopWithoutWaitingForMore) {
  class ScriptedInput : public TEventSource {
   public:
    std::deque<std::function<void()>> input;
    int idle_waits = 0;
    bool DispatchPending() override {
      if (input.empty()) return false;
      const std::function<void()> next = std::move(input.front());
      input.pop_front();
      next();
      return true;
    }
    void WaitIdle(std::optional<uint64_t>) override { ++idle_waits; }
    void Wake() override {}
  } source;
  app_.SetEventSource(&source);
  TForm* dialog = new TForm(&app_);
  struct Case {
    const char* what;
    std::function<void()> click;
  };
  for (const Case& c : {Case{"a click on its Cancel", [&] { dialog->Close(); }},
                        Case{"a click whose handler failed after closing it", [&] {
                               dialog->Close();
                               throw platform::Exception("The handler failed");
                             }}}) {
    source.idle_waits = 0;
    source.input.push_back(c.click);
    dialog->ShowModal();
    EXPECT_EQ(source.idle_waits, 0) << c.what << ": the loop waited for another event";
    EXPECT_FALSE(dialog->Visible()) << c.what;
  }
  app_.SetEventSource(nullptr);
}

// What a handler lets escape is shown and ends only that handler: the loop, the other messages
// of the turn and the timer's next period go on.
TEST_F(RuntimeTest, AnExceptionFromAHandlerIsShownAndTheLoopGoesOn) {
  std::vector<std::string> traces;
  platform::SetTraceObserver([&](std::string_view text, bool) { traces.emplace_back(text); });
  TTimer timer(&app_);
  timer.SetInterval(100);
  int ticks = 0;
  timer.OnTimer = [&](TObject*) {
    if (++ticks == 1) throw platform::Exception("The timer failed");
  };
  std::vector<std::string> ran;
  app_.Post([] { throw std::out_of_range("vector::at"); });
  app_.Post([&] { ran.push_back("after the failed message"); });
  RunUntil([&] { return ticks == 2; });
  EXPECT_EQ(ran, std::vector<std::string>{"after the failed message"});
  EXPECT_EQ(Now(), 200u);
  // Another exception than the framework's is shown with an empty message; its text is traced.
  EXPECT_EQ(app_.ShownExceptions(), (std::vector<std::string>{"", "The timer failed"}));
  platform::SetTraceObserver(nullptr);
  EXPECT_EQ(traces, std::vector<std::string>{"TApplication::HandleMessage- vector::at"});
}

// A worker's completion may be the last message the program waits for: the application object
// can go as soon as it has run, while the worker is still returning from its Post.
TEST(ApplicationLifetimeTest, TheApplicationMayGoAsSoonAsAPostedMessageHasRun) {
  platform::ScopedVirtualClock clock;
  for (int i = 0; i < 300; ++i) {
    auto* app = new TApplication();
    std::atomic<bool> ran{false};
    platform::Thread poster("poster", [app, &ran] { app->Post([&ran] { ran.store(true); }); });
    while (!ran.load()) app->HandleMessage();
    delete app;
    poster.Join();
  }
}

}  // namespace
