#include <gtest/gtest.h>

#include "platform/clock.h"
#include "toolkit/std_controls.h"
#include "toolkit/timer.h"
#include "toolkit_fixture.h"

namespace {

// Every handler logs "<event> <control>"; each event is registered under its own name.
class InputEventsTest : public ToolkitTest {
 public:
  struct Recorder {
    std::string event;
    std::vector<std::string>* log;
    void Call(TObject* s) { log->push_back(event + " " + dynamic_cast<TComponent*>(s)->Name()); }
  };
  void SetUp() override {
    for (const char* event : {"Enter", "Leave", "Click", "DblClick"}) {
      recorders_.push_back(std::make_unique<Recorder>(Recorder{event, &log_}));
      handlers_.Add(event, recorders_.back().get(), &Recorder::Call);
    }
    handlers_.Add("Move", this, &InputEventsTest::Move);
  }
  void Move(TObject* sender, TShiftState, int x, int y) {
    log_.push_back("Move " + dynamic_cast<TComponent*>(sender)->Name() + " " + std::to_string(x) + "," +
                   std::to_string(y));
  }
  void Swap(TObject*) {
    Get<TImage>("normal")->Hide();
    Get<TImage>("over")->Show();
  }
  static std::string Events(const std::string& name) {
    return R"("name": ")" + name +
           R"(", "OnMouseEnter": "Enter", "OnMouseLeave": "Leave", "OnClick": "Click", "OnDblClick": "DblClick",
               "OnMouseMove": "Move")";
  }
  std::vector<std::unique_ptr<Recorder>> recorders_;
};

TEST_F(InputEventsTest, PointerMovesRaiseLeaveThenEnterThenMoveOnTheTopmostControl) {
  Load(R"({"class": "TImage", )" + Events("below") + R"(, "Left": 10, "Top": 10, "Width": 100, "Height": 50},
          {"class": "TLabel", )" +
       Events("above") + R"(, "Left": 60, "Top": 20, "Width": 30, "Height": 20,
           "AutoSize": false})");
  driver_.MoveTo(20, 20);
  driver_.MoveTo(70, 25);
  driver_.MoveTo(200, 200);
  EXPECT_EQ(log_, (std::vector<std::string>{"Enter below", "Move below 10,10", "Leave below", "Enter above",
                                            "Move above 10,5", "Leave above"}));
}

TEST_F(InputEventsTest, ClickNeedsDownAndUpOnTheSameControlAndTwoQuickClicksMakeADoubleClick) {
  Load(R"({"class": "TImage", )" + Events("a") + R"(, "Left": 0, "Top": 0, "Width": 50, "Height": 50},
          {"class": "TImage", )" +
       Events("b") + R"(, "Left": 100, "Top": 0, "Width": 50, "Height": 50})");
  auto clicks = [&] {
    std::vector<std::string> out;
    for (const auto& e : log_) {
      if (e.rfind("Click", 0) == 0 || e.rfind("DblClick", 0) == 0) out.push_back(e);
    }
    log_.clear();
    return out;
  };
  driver_.Press(10, 10);
  driver_.Release(120, 10);
  EXPECT_TRUE(clicks().empty()) << "released over another control";
  platform::Sleep(kDoubleClickMs + 1);

  driver_.ClickAt(10, 10);
  driver_.ClickAt(11, 11);
  EXPECT_EQ(clicks(), (std::vector<std::string>{"Click a", "DblClick a"}));

  driver_.ClickAt(10, 10);
  platform::Sleep(kDoubleClickMs + 1);
  driver_.ClickAt(10, 10);
  EXPECT_EQ(clicks(), (std::vector<std::string>{"Click a", "Click a"}));

  driver_.ClickAt(10, 10, TMouseButton::mbRight);
  EXPECT_TRUE(clicks().empty()) << "the right button does not click";
}

TEST_F(InputEventsTest, DisabledAndHiddenControlsLetTheMouseThrough) {
  Load(R"({"class": "TImage", )" + Events("base") + R"(, "Left": 0, "Top": 0, "Width": 100, "Height": 100},
          {"class": "TImage", )" +
       Events("off") + R"(, "Left": 0, "Top": 0, "Width": 100, "Height": 100,
           "Enabled": false},
          {"class": "TImage", )" +
       Events("gone") + R"(, "Left": 0, "Top": 0, "Width": 100, "Height": 100,
           "Visible": false})");
  driver_.ClickAt(50, 50);
  EXPECT_EQ(log_, (std::vector<std::string>{"Enter base", "Move base 50,50", "Click base"}));
}

TEST_F(InputEventsTest, OnlyTheRoundedRegionTakesTheMouse) {
  Load(R"({"class": "TImage", )" + Events("bg") + R"(, "Left": 0, "Top": 0, "Width": 400, "Height": 300})");
  form_->SetWindowRegion(TWindowRegion{0, 0, 400, 300, 40, 40});
  EXPECT_EQ(form_->ControlAt(1, 1), nullptr) << "the corner lies outside the ellipse";
  EXPECT_EQ(form_->ControlAt(20, 1)->Name(), "bg");
  EXPECT_EQ(form_->ControlAt(398, 298), nullptr);
  EXPECT_EQ(form_->ControlAt(200, 150)->Name(), "bg");
  driver_.MoveTo(1, 1);
  EXPECT_TRUE(log_.empty());
}

TEST_F(InputEventsTest, AChildWindowsRegionClipsWhatTakesTheMouse) {
  Load(R"({"class": "TImage", )" + Events("page") + R"(, "Left": 0, "Top": 0, "Width": 400, "Height": 300},
          {"class": "TPanel", "name": "panel", "Left": 30, "Top": 100, "Width": 135, "Height": 44, "children": [
            {"class": "TImage", )" +
       Events("button") + R"(, "Left": 0, "Top": 0, "Width": 135, "Height": 44}]})");
  Get<TPanel>("panel")->SetWindowRegion(TWindowRegion{0, 0, 135, 34, 15, 15});
  EXPECT_EQ(form_->ControlAt(100, 120)->Name(), "button");
  EXPECT_EQ(form_->ControlAt(100, 140)->Name(), "page") << "below the panel's region";
  EXPECT_EQ(form_->ControlAt(31, 101)->Name(), "page") << "outside the rounded corner";
}

TEST_F(InputEventsTest, ThePictureThatAppearsUnderAStillPointerIsEnteredAtIdle) {
  handlers_.Add("Swap", this, &InputEventsTest::Swap);
  Load(R"({"class": "TImage", )" + Events("over") + R"(, "Left": 0, "Top": 0, "Width": 50, "Height": 50,
           "Visible": false},
          {"class": "TImage", "name": "normal", "OnMouseEnter": "Swap", "Left": 0, "Top": 0, "Width": 50,
           "Height": 50})");
  driver_.MoveTo(10, 10);
  ASSERT_FALSE(log_.empty());
  EXPECT_EQ(log_.front(), "Enter over") << "the hover picture shown by the enter handler is entered at once";
}

TEST_F(InputEventsTest, AModalWindowTakesTheInputOfTheOthers) {
  Load(R"({"class": "TImage", )" + Events("main") + R"(, "Left": 0, "Top": 0, "Width": 100, "Height": 100})");
  auto* dialog = new TestForm(&app_);
  TTimer* probe = new TTimer(&app_);
  probe->SetInterval(10);
  probe->OnTimer = [&](TObject*) {
    probe->SetEnabled(false);
    driver_.ClickAt(50, 50);
    dialog->Close();
  };
  dialog->ShowModal();
  EXPECT_TRUE(log_.empty());
  driver_.ClickAt(50, 50);
  EXPECT_FALSE(log_.empty());
}

// A window under the innermost modal one is disabled, as the platform disables a modal window's
// owners: a close from the desktop, a click or a key aimed at it does nothing but bring the modal
// window to the front. The modal window itself closes from the desktop as by its own Close.
TEST_F(InputEventsTest, InputAimedAtAWindowUnderAModalOneOnlyBringsTheModalOneToTheFront) {
  Load(R"({"class": "TButton", )" + Events("main") + R"(, "Left": 0, "Top": 0, "Width": 100, "Height": 100})");
  Get<TButton>("main")->SetFocus();
  struct CountingWindow : TFormWindow {
    int raised = 0;
    void StartMoveByCaption() override {}
    void BringToFront() override { ++raised; }
  } window;
  auto* dialog = new TestForm(&app_);
  dialog->SetWindow(&window);
  struct Case {
    const char* what;
    std::function<void()> act;
  } const cases[] = {
      {"a close from the desktop", [&] { form_->CloseFromDesktop(); }},
      {"a click", [&] { driver_.ClickAt(50, 50); }},
      {"a key", [&] { driver_.Key(VK_SPACE); }},
  };
  int raised = 0;
  app_.Post([&] {
    for (const Case& c : cases) {
      log_.clear();
      c.act();
      EXPECT_EQ(window.raised, ++raised) << c.what;
      EXPECT_TRUE(log_.empty()) << c.what << ": " << log_.front();
      EXPECT_TRUE(form_->Visible()) << c.what;
      EXPECT_TRUE(dialog->Modal() && dialog->ModalResult() == mrNone) << c.what;
    }
    dialog->CloseFromDesktop();
  });
  dialog->ShowModal();
  EXPECT_EQ(window.raised, raised) << "the modal window's own close brings nothing to the front";
  EXPECT_FALSE(dialog->Visible());
  form_->CloseFromDesktop();
  EXPECT_FALSE(form_->Visible()) << "without a modal window above, the close is the form's own";
  dialog->SetWindow(nullptr);
}

}  // namespace
