#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <ctime>
#include <functional>
#include <thread>

#include "../support/child_process.h"
#include "../support/gui_environment.h"
#include "encoded_pictures.h"
#include "platform/clock.h"
#include "platform/thread.h"
#include "toolkit/clipboard.h"
#include "toolkit/layout.h"
#include "toolkit/presenter.h"
#include "toolkit/std_controls.h"
#include "toolkit/timer.h"
#include "x_probe.h"

namespace {

class Tform_Main : public TForm {
 public:
  using TForm::TForm;
  std::string ClassName() const override { return "Tform_Main"; }
};

// A real window on the test's X server, on the real clock.
class ScreenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SKIP_WITHOUT_DISPLAY();
    platform::MarkMainThread();
    app_ = std::make_unique<TApplication>();
    form_ = new Tform_Main(app_.get());
    handlers_.Add("Clicked", this, &ScreenTest::Clicked);
    handlers_.Add("HandOn", this, &ScreenTest::HandOn);
    handlers_.Add("HandOff", this, &ScreenTest::HandOff);
    LoadLayout(*form_, R"({"class": "Tform_Main", "name": "form_Main", "Caption": "Screen test",
      "Width": 300, "Height": 200, "Position": "poScreenCenter", "Color": 1775627, "children": [
        {"class": "TImage", "name": "picture", "Left": 20, "Top": 20, "Width": 60, "Height": 40,
         "OnClick": "Clicked", "OnMouseEnter": "HandOn", "OnMouseLeave": "HandOff"},
        {"class": "TEdit", "name": "edit", "Left": 100, "Top": 20, "Width": 150, "Height": 22}]})",
               "screen_test.json", handlers_, [](const std::string&) { return nullptr; });
    form_->SetWindowRegion(TWindowRegion{0, 0, 300, 200, 40, 40});
    presenter_ = std::make_unique<TScreenPresenter>(*app_);
    probe_ = std::make_unique<XProbe>();
  }
  void TearDown() override {
    presenter_.reset();
    app_.reset();
  }

  void Clicked(TObject*) { ++clicks_; }
  void HandOn(TObject*) { Screen->SetCursor(crHandPoint); }
  void HandOff(TObject*) { Screen->SetCursor(crDefault); }

  // Runs the message loop until `done` holds or the time is up.
  bool RunUntil(const std::function<bool()>& done, uint32_t timeout_ms = 5000) {
    TTimer tick(app_.get());
    tick.SetInterval(20);
    tick.OnTimer = [](TObject*) {};
    const uint32_t start = platform::TimeGetTime();
    while (!done()) {
      if (platform::TimeGetTime() - start > timeout_ms) return false;
      app_->HandleMessage();
    }
    return true;
  }
  unsigned long Window() { return presenter_->NativeWindow(form_); }
  bool Shown() { return probe_->Viewable(Window()); }
  // A point of the form on the screen.
  void PointAt(int x, int y) { probe_->MovePointer(form_->Left() + x, form_->Top() + y); }

  std::unique_ptr<TApplication> app_;
  Tform_Main* form_ = nullptr;
  THandlerTable handlers_;
  std::unique_ptr<TScreenPresenter> presenter_;
  std::unique_ptr<XProbe> probe_;
  int clicks_ = 0;
};

TEST_F(ScreenTest, ShownFormIsAShapedWindowWhereTheFormSays) {
  EXPECT_EQ(Window(), 0u) << "a hidden form has no window";
  form_->Show();
  ASSERT_TRUE(RunUntil([&] { return Shown(); }));
  EXPECT_EQ(form_->Left(), (1280 - 300) / 2) << "centred on the screen";
  int x = 0, y = 0;
  RunUntil([&] { return probe_->Origin(Window(), x, y) && x == form_->Left() && y == form_->Top(); });
  EXPECT_EQ(x, form_->Left());
  EXPECT_EQ(y, form_->Top());
  EXPECT_EQ(probe_->Title(Window()), "Screen test");
  EXPECT_TRUE(probe_->ShapeContains(Window(), 150, 100));
  EXPECT_TRUE(probe_->ShapeContains(Window(), 0, 100));
  EXPECT_FALSE(probe_->ShapeContains(Window(), 0, 0)) << "the rounded corner is cut away";
  EXPECT_FALSE(probe_->ShapeContains(Window(), 299, 199));

  form_->SetCaption("Renamed");
  ASSERT_TRUE(RunUntil([&] { return probe_->Title(Window()) == "Renamed"; }));
  const unsigned long shown = Window();
  form_->Hide();
  ASSERT_TRUE(RunUntil([&] { return Window() == 0 && !probe_->Viewable(shown); }));
}

TEST_F(ScreenTest, AWindowTheWindowManagerHoldsBackLeavesTheProgramRunningAndShowsWhenMapped) {
  probe_->HoldMapRequests();
  form_->Show();
  bool worked_on = false;
  app_->Post([&] { worked_on = true; });
  ASSERT_TRUE(RunUntil([&] { return worked_on && Window() != 0; }))
      << "the loop goes on while the window waits for its manager";
  EXPECT_FALSE(Shown());

  probe_->Map(Window());
  ASSERT_TRUE(RunUntil([&] { return Shown(); }));
  // What was drawn while the window was not mapped went up again once it was.
  EXPECT_TRUE(RunUntil([&] { return probe_->Pixel(Window(), 150, 100) == 0x0B181Bu; }))
      << std::hex << probe_->Pixel(Window(), 150, 100);
}

TEST_F(ScreenTest, PointerClicksKeysAndCursorReachTheForm) {
  form_->Show();
  ASSERT_TRUE(RunUntil([&] { return Shown(); }));
  const std::vector<uint32_t> hand = probe_->HandCursorImage();
  const std::vector<uint32_t> arrow_over_form = [&] {
    PointAt(150, 150);
    RunUntil([&] { return form_->MouseInside(); });
    return probe_->CursorImage();
  }();
  EXPECT_NE(arrow_over_form, hand);

  // Over the picture the toolkit asks for the hand, and the screen shows it.
  PointAt(50, 40);
  ASSERT_TRUE(RunUntil([&] { return probe_->CursorImage() == hand; }));
  EXPECT_EQ(Screen->Cursor(), crHandPoint);
  probe_->Button(1, true);
  probe_->Button(1, false);
  ASSERT_TRUE(RunUntil([&] { return clicks_ == 1; }));
  PointAt(150, 150);
  ASSERT_TRUE(RunUntil([&] { return probe_->CursorImage() != hand; }));

  // Typed keys reach the focused edit, with Backspace, and Ctrl+V pastes the clipboard.
  auto* edit = dynamic_cast<TEdit*>(form_->FindComponent("edit"));
  edit->SetFocus();
  for (const char* key : {"n", "a", "s", "1", "BackSpace"}) probe_->Key(key);
  ASSERT_TRUE(RunUntil([&] { return edit->Text() == "nas"; })) << edit->Text();
  SetClipboardText(" box\nsecond line");
  probe_->Key("v", true);
  ASSERT_TRUE(RunUntil([&] { return edit->Text() == "nas box"; })) << edit->Text();
}

TEST_F(ScreenTest, SecondInstanceRestoresAndShowsTheFirst) {
  const std::string title = "Orvo NAS Setup Wizard " + std::to_string(getpid());
  app_->SetTitle(title);
  form_->SetCaption(title);
  form_->Show();
  ASSERT_TRUE(RunUntil([&] { return Shown(); }));
  app_->Minimize();
  form_->Hide();
  ASSERT_TRUE(RunUntil([&] { return Window() == 0; }));

  ChildProcess second({WINDOW_INSTANCE, "ask", title});
  bool answered = false;
  int status = -1;
  platform::Thread waiter("second instance", [&] {
    status = second.Wait();
    app_->Post([&] { answered = true; });
  });
  ASSERT_TRUE(RunUntil([&] { return answered; }, 10000));
  waiter.Join();
  EXPECT_EQ(status, 0) << "the second instance found both windows";
  ASSERT_TRUE(RunUntil([&] { return Shown(); }));
  EXPECT_FALSE(app_->Minimized());
  EXPECT_TRUE(form_->Visible());
}

TEST_F(ScreenTest, AWorkersMessagesWakeTheMainThreadWhileWindowsComeAndGo) {
  // Only the worker's messages end these waits (the timer is a safety net of 2 s); windows
  // destroyed since an earlier wait (a closed dialog, a main window hidden on minimising) are
  // never what the wake-up goes to.
  TTimer safety(app_.get());
  safety.SetInterval(2000);
  safety.OnTimer = [](TObject*) {};
  std::atomic<bool> stop{false};
  std::atomic<int> posted{0};
  int delivered = 0;
  platform::Thread worker("poster", [&] {
    while (!stop) {
      app_->Post([&] { ++delivered; });
      ++posted;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  });
  for (int round = 0; round < 10; ++round) {
    form_->Show();
    ASSERT_TRUE(RunUntil([&] { return Shown(); }));
    form_->Hide();
    ASSERT_TRUE(RunUntil([&] { return Window() == 0; }));
    const int before = delivered;
    const uint32_t start = platform::TimeGetTime();
    for (int turn = 0; turn < 20; ++turn) app_->HandleMessage();
    EXPECT_LT(platform::TimeGetTime() - start, 1500u) << "the waits ended by the timer, not by the messages";
    EXPECT_GT(delivered, before);
  }
  stop = true;
  worker.Join();
  app_->ProcessMessages();
  EXPECT_EQ(delivered, posted.load());
}

// A form whose picture does not decode gets its window all the same, drawn without the picture;
// the failure reaches the error display once, however often the window is drawn again, and the
// window goes like any other, leaving none behind.
TEST_F(ScreenTest, AWindowWhosePictureDoesNotDecodeIsShownAndReportsItOnce) {
  auto* broken = new TImage(form_);
  broken->SetParent(form_);
  broken->SetBounds(20, 80, 20, 20);
  TPicture picture;
  picture.SetFile(TPictureFile::Owning(PngWhosePixelsDoNotDecode(20, 20), "broken.png"));
  broken->SetPicture(picture);
  form_->SetCaption("Broken picture");
  app_->SetExceptionDisplay([](const std::string&) {});
  form_->Show();
  ASSERT_TRUE(RunUntil([&] { return Shown(); }));
  auto* edit = dynamic_cast<TEdit*>(form_->FindComponent("edit"));
  for (int drawing = 0; drawing < 5; ++drawing) {
    edit->SetText(std::to_string(drawing));
    ASSERT_TRUE(form_->Dirty());
    app_->ProcessMessages();
    EXPECT_FALSE(form_->Dirty()) << "drawn again";
  }
  ASSERT_EQ(app_->ShownExceptions().size(), 1u);
  EXPECT_NE(app_->ShownExceptions()[0].find("broken.png"), std::string::npos) << app_->ShownExceptions()[0];
  form_->Hide();
  ASSERT_TRUE(RunUntil([&] { return Window() == 0; }));
  const unsigned long left = probe_->FindByTitle("Broken picture");
  EXPECT_TRUE(left == 0 || !probe_->Viewable(left)) << "a window was left on the screen";
}

TEST_F(ScreenTest, IdleProgramWithACaretTimerUsesAlmostNoProcessor) {
  // A caret that blinks every 500 ms, as the wizard's mirrored edits have.
  auto* caret = new TLabel(form_);
  caret->SetParent(form_);
  caret->SetBounds(100, 60, 1, 14);
  caret->SetColor(clWhite);
  TTimer blink(app_.get());
  blink.SetInterval(500);
  int blinks = 0;
  blink.OnTimer = [&](TObject*) {
    caret->SetVisible(!caret->Visible());
    ++blinks;
  };
  form_->Show();
  ASSERT_TRUE(RunUntil([&] { return Shown(); }));

  const std::clock_t cpu_start = std::clock();
  const uint32_t start = platform::TimeGetTime();
  int turns = 0;
  while (platform::TimeGetTime() - start < 5000) {
    app_->HandleMessage();
    ++turns;
  }
  const double cpu_seconds = static_cast<double>(std::clock() - cpu_start) / CLOCKS_PER_SEC;
  const double share = cpu_seconds / 5.0;
  std::printf("idle CPU over 5 s with a 500 ms caret: %.3f s, %.2f %% of a core, %d blinks in %d turns\n", cpu_seconds,
              share * 100, blinks, turns);
  EXPECT_GE(blinks, 9);
  // The loop turns only for the blinks (and the input they cause), never to poll.
  EXPECT_LE(turns, 4 * blinks + 4);
  // Each blink repaints the window; a sanitizer or debug build paints slower than a release.
  EXPECT_LT(share, 0.03);
}

}  // namespace
