// Modal dialogs on a real X server, with and without a window manager: the first click on a
// freshly shown dialog acts, and the keyboard comes back to the window below when it closes.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "../support/gui_environment.h"
#include "../support/window_manager.h"
#include "platform/clock.h"
#include "platform/thread.h"
#include "toolkit/presenter.h"
#include "toolkit/std_controls.h"
#include "x_probe.h"

namespace {

// Polls in real time: the program's loop runs on the test's main thread meanwhile.
bool Eventually(const std::function<bool()>& done, int timeout_ms = 5000) {
  for (int waited = 0; waited < timeout_ms; waited += 10) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return done();
}

constexpr int kMainWidth = 500, kMainHeight = 300;
constexpr int kDialogWidth = 253, kDialogHeight = 220;
// The dialog's Cancel picture, and where the dialog stands on the main window (centred on it).
constexpr int kCancelLeft = 18, kCancelTop = 178, kCancelWidth = 100, kCancelHeight = 30;
constexpr int kDialogOnMainX = (kMainWidth - kDialogWidth) / 2, kDialogOnMainY = (kMainHeight - kDialogHeight) / 2;

// A dialog as the program's are made: a background, and an image button whose hover picture
// replaces the normal one on enter and takes the click. Enter closes it too.
class TDialog : public TForm {
 public:
  explicit TDialog(TComponent* owner) : TForm(owner) {
    SetCaption("Dialog");
    SetBounds(0, 0, kDialogWidth, kDialogHeight);
    SetPosition(TPosition::poMainFormCenter);
    SetColor(clBlue);
    SetWindowRegion(TWindowRegion{0, 0, kDialogWidth, kDialogHeight, 15, 15});
    SetKeyPreview(true);
    auto* background = Add(0, 0, kDialogWidth, kDialogHeight);
    normal_ = Add(kCancelLeft, kCancelTop, kCancelWidth, kCancelHeight);
    over_ = Add(kCancelLeft, kCancelTop, kCancelWidth, kCancelHeight);
    over_->SetVisible(false);
    normal_->OnMouseEnter = [this](TObject*) {
      normal_->SetVisible(false);
      over_->SetVisible(true);
      hovered = true;
    };
    over_->OnMouseLeave = [this](TObject*) {
      over_->SetVisible(false);
      normal_->SetVisible(true);
    };
    over_->OnClick = [this](TObject*) { Close(); };
    background->OnMouseMove = [this](TObject*, TShiftState, int, int) {
      if (over_->Visible()) over_->OnMouseLeave(over_);
    };
    OnKeyPress = [this](TObject*, char16_t& key) {
      if (key == 13) Close();
    };
    OnShow = [this](TObject*) {
      over_->SetVisible(false);
      normal_->SetVisible(true);
      hovered = false;
    };
  }
  std::string ClassName() const override { return "TDialog"; }
  std::atomic<bool> hovered{false};

 private:
  TImage* Add(int x, int y, int w, int h) {
    auto* image = new TImage(this);
    image->SetParent(this);
    image->SetBounds(x, y, w, h);
    return image;
  }
  TImage* normal_;
  TImage* over_;
};

// The program's main window: a picture that opens the dialog modally, and an edit with the focus.
class TMainWindow : public TForm {
 public:
  explicit TMainWindow(TComponent* owner) : TForm(owner) {
    SetCaption("Main");
    SetBounds(0, 0, kMainWidth, kMainHeight);
    SetPosition(TPosition::poScreenCenter);
    SetColor(clRed);
    SetWindowRegion(TWindowRegion{0, 0, kMainWidth, kMainHeight, 15, 15});
    opener = new TImage(this);
    opener->SetParent(this);
    opener->SetBounds(20, 250, 60, 30);
    opener->OnClick = [this](TObject*) { OpenDialog(); };
    edit = new TEdit(this);
    edit->SetParent(this);
    edit->SetBounds(300, 20, 150, 22);
  }
  std::string ClassName() const override { return "TMainWindow"; }

  void OpenDialog() {
    ++dialog_shows;
    dialog->ShowModal();
    ++dialogs_closed;
  }

  TDialog* dialog = nullptr;
  TImage* opener;
  TEdit* edit;
  std::atomic<int> dialogs_closed{0};
  std::atomic<int> dialog_shows{0};
};

// Parameter: whether a window manager runs.
class ModalScreenTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    SKIP_WITHOUT_DISPLAY();
    if (GetParam()) {
      std::string error;
      // Before the presenter: SDL learns at its start whether a manager runs.
      manager_ = WindowManager::Start(error);
      if (!manager_) GTEST_SKIP() << error;
    }
    platform::MarkMainThread();
    app_ = std::make_unique<TApplication>();
    app_->CreateForm(main_);
    app_->CreateForm(main_->dialog);
    presenter_ = std::make_unique<TScreenPresenter>(*app_);
    probe_ = std::make_unique<XProbe>();
    main_->Show();
    main_->edit->SetFocus();
  }
  void TearDown() override {
    presenter_.reset();
    app_.reset();
    probe_.reset();
    manager_.reset();
  }

  // Runs the program's loop on this thread while `user` acts on another, as a person at the
  // screen would. Nothing but the user's input and the program's own work wakes the loop.
  void RunWhileUserActs(const std::function<void()>& user) {
    std::atomic<bool> done{false};
    platform::Thread user_thread("user", [&] {
      user();
      done = true;
      // A dialog the user could not close is closed here, so that the test ends.
      app_->Post([this] {
        if (main_->dialog->Modal()) main_->dialog->Close();
      });
    });
    while (!done) app_->HandleMessage();
    user_thread.Join();
  }

  // Screen position of a point of a window found by its title.
  bool ScreenPoint(const std::string& title, int x, int y, int& screen_x, int& screen_y) {
    const unsigned long window = probe_->FindByTitle(title);
    if (!window || !probe_->Viewable(window) || !probe_->Origin(window, screen_x, screen_y)) return false;
    screen_x += x;
    screen_y += y;
    return true;
  }
  bool DialogShown() {
    const unsigned long window = probe_->FindByTitle("Dialog");
    return window && probe_->Viewable(window);
  }
  void Click(int screen_x, int screen_y) {
    probe_->MovePointer(screen_x, screen_y);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    probe_->Button(1, true);
    std::this_thread::sleep_for(std::chrono::milliseconds(80));
    probe_->Button(1, false);
  }
  std::string EditText() {
    std::string text;
    app_->Synchronize([&] { text = main_->edit->Text(); });
    return text;
  }
  static void Pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
  void Type(const std::string& keys) {
    for (char c : keys) probe_->Key(std::string(1, c));
  }

  std::unique_ptr<WindowManager> manager_;
  std::unique_ptr<TApplication> app_;
  TMainWindow* main_ = nullptr;
  std::unique_ptr<TScreenPresenter> presenter_;
  std::unique_ptr<XProbe> probe_;
};

TEST_P(ModalScreenTest, OneClickOnAFreshDialogsButtonActs) {
  enum class Approach { kOneStep, kSmallSteps, kResting };
  struct Case {
    const char* what;
    Approach approach;
  };
  const Case cases[] = {{"the pointer moved onto the button in one step", Approach::kOneStep},
                        {"the pointer moved onto the button in small steps", Approach::kSmallSteps},
                        {"the pointer resting where the button appears", Approach::kResting}};
  RunWhileUserActs([&] {
    int main_x = 0, main_y = 0;
    ASSERT_TRUE(Eventually([&] { return ScreenPoint("Main", 0, 0, main_x, main_y); }));
    const int button_x = main_x + kDialogOnMainX + kCancelLeft + kCancelWidth / 2;
    const int button_y = main_y + kDialogOnMainY + kCancelTop + kCancelHeight / 2;
    int closed = 0;
    for (const Case& c : cases) {
      SCOPED_TRACE(c.what);
      if (c.approach == Approach::kResting) {
        probe_->MovePointer(button_x, button_y);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        app_->Post([this] { main_->OpenDialog(); });
      } else {
        // The dialog opens from a click on the main window, as the program's do.
        Click(main_x + 50, main_y + 265);
      }
      ASSERT_TRUE(Eventually([&] { return DialogShown(); }));
      if (c.approach == Approach::kOneStep) probe_->MovePointer(button_x, button_y);
      if (c.approach == Approach::kSmallSteps) {
        const int from_x = main_x + 50, from_y = main_y + 265;
        for (int step = 1; step <= 25; ++step) {
          probe_->MovePointer(from_x + (button_x - from_x) * step / 25, from_y + (button_y - from_y) * step / 25);
          std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
      }
      ASSERT_TRUE(Eventually([&] { return main_->dialog->hovered.load(); })) << "the button shows its hover look";
      Click(button_x, button_y);
      ASSERT_TRUE(Eventually([&] { return main_->dialogs_closed == closed + 1; }, 3000))
          << "one click on the hovered button closes the dialog";
      ++closed;
      ASSERT_TRUE(Eventually([&] { return !DialogShown(); }));
      // The next click on the opener is a click of its own, not the second of a double click.
      std::this_thread::sleep_for(std::chrono::milliseconds(kDoubleClickMs + 100));
    }
  });
}

TEST_P(ModalScreenTest, KeysReachTheMainWindowAfterADialogClosesAndAfterAClick) {
  RunWhileUserActs([&] {
    int main_x = 0, main_y = 0;
    ASSERT_TRUE(Eventually([&] { return ScreenPoint("Main", 0, 0, main_x, main_y); }));
    Click(main_x + 50, main_y + 265);
    ASSERT_TRUE(Eventually([&] { return DialogShown(); }));
    // The dialog has the keyboard: Enter closes it.
    ASSERT_TRUE(Eventually([&] { return probe_->FocusedWindow() == probe_->FindByTitle("Dialog"); }));
    probe_->Key("Return");
    ASSERT_TRUE(Eventually([&] { return main_->dialogs_closed == 1; }));
    Type("123");
    EXPECT_TRUE(Eventually([&] { return EditText() == "123"; }))
        << EditText() << std::hex << " " << probe_->FocusedWindow() << " " << probe_->FindByTitle("Main");

    // Another client took the keyboard and left it nowhere; a click on the window brings it back.
    probe_->DropFocus();
    Click(main_x + 250, main_y + 150);
    ASSERT_TRUE(Eventually([&] { return probe_->FocusedWindow() == probe_->FindByTitle("Main"); }))
        << std::hex << probe_->FocusedWindow() << " " << probe_->FindByTitle("Main");
    Type("45");
    EXPECT_TRUE(Eventually([&] { return EditText() == "12345"; })) << EditText();
  });
}

// Clicks made while the main thread is busy are handled after it, in order, each by the windows
// as they are by then: the click behind the one that closed the dialog reaches the main window
// once the dialog has gone (here it opens the dialog again), as the platform's loop takes one
// message at a time.
TEST_P(ModalScreenTest, AClickQueuedBehindTheOneThatClosesADialogReachesTheWindowBelow) {
  RunWhileUserActs([&] {
    int main_x = 0, main_y = 0;
    ASSERT_TRUE(Eventually([&] { return ScreenPoint("Main", 0, 0, main_x, main_y); }));
    Click(main_x + 50, main_y + 265);
    ASSERT_TRUE(Eventually([&] { return DialogShown(); }));
    std::atomic<bool> busy{true};
    app_->Post([&] {
      platform::Sleep(1000);
      busy = false;
    });
    Pause(100);
    Click(main_x + kDialogOnMainX + kCancelLeft + kCancelWidth / 2, main_y + kDialogOnMainY + kCancelTop + 5);
    Click(main_x + 50, main_y + 265);
    ASSERT_TRUE(busy) << "the clicks came after the busy time";
    EXPECT_TRUE(Eventually([&] { return main_->dialogs_closed == 1; }));
    EXPECT_TRUE(Eventually([&] { return main_->dialog_shows == 2; }))
        << "the second click did not reach the main window";
  });
}

INSTANTIATE_TEST_SUITE_P(Desktop, ModalScreenTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "WithWindowManager" : "WithoutWindowManager";
                         });

}  // namespace
