// The wizard in its real windows under Xvfb, with and without a window manager, against the
// simulated LAN on the real clock: what the desktop does around a running set-up.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "../support/gui_environment.h"
#include "../support/scratch_folder.h"
#include "../support/window_manager.h"
#include "link/transport.h"
#include "link/wire.h"
#include "platform/ansi.h"
#include "platform/log_debug.h"
#include "platform/thread.h"
#include "sim/pc_settings.h"
#include "sim/world.h"
#include "text/language_strings.h"
#include "toolkit/driver.h"
#include "toolkit/page_control.h"
#include "toolkit/presenter.h"
#include "toolkit/std_controls.h"
#include "wizard/dialogs/apply_progress.h"
#include "wizard/dialogs/confirm_format.h"
#include "wizard/forms/forms.h"
#include "wizard/main_form.h"
#include "wizard/program.h"
#include "x_probe.h"

namespace {

// Polls in real time: the program's loop runs on the test's main thread meanwhile.
bool Eventually(const std::function<bool()>& done, int timeout_ms = 10000) {
  for (int waited = 0; waited < timeout_ms; waited += 20) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return done();
}

void Pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// What the settings page shows of the address and DNS choices: the focused control, and which of
// the radios are checked, by their pictures.
struct Choice {
  std::string focused;
  bool fixed_ip, fixed_dns;
  bool operator==(const Choice&) const = default;
};

// Parameter: whether a window manager runs.
class WizardScreenTest : public ::testing::TestWithParam<bool> {
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
    platform::SetTraceObserver([this](std::string_view text, bool) {
      std::lock_guard<std::mutex> lock(traces_mutex_);
      traces_.emplace_back(text);
    });
  }
  void TearDown() override {
    if (app_) {
      presenter_.reset();
      // Threads that hand work to the windows end first: a scan, an apply that a failed test left.
      while (form_Main && form_Main->ipConfigThreadCount > 0) app_->HandleMessage();
      while (form_ApplyProgress && form_ApplyProgress->applyRunning) app_->HandleMessage();
      StopUdpReceiver();
      app_.reset();
    }
    platform::SetTraceObserver(nullptr);
    pc_settings_.reset();
    world_.reset();
    probe_.reset();
    manager_.reset();
  }

  // The PC at 192.168.1.100 with the one box, and the six windows on the screen as the program
  // main makes them, the main window shown.
  void Start(sim::BoxConfig box) {
    world_ = std::make_unique<sim::World>();
    world_->pc().AddInterface("lan", sim::Ipv4Of("192.168.1.100"), sim::Ipv4Of("255.255.255.0"), "Ethernet");
    world_->drives().SetTempFolder(temp_folder_.path().string());
    box_ = &world_->AddBox("box", "lan", std::move(box));
    world_->Install();
    pc_settings_ = std::make_unique<sim::PcSettings>(
        sim::SimTimeZones({{"W. Europe Standard Time", "(UTC+01:00) Amsterdam, Berlin, Bern, Rome, Stockholm, Vienna",
                            "W. Europe Standard Time", "W. Europe Daylight Time", 60}},
                          "W. Europe Standard Time"),
        "English");
    app_ = std::make_unique<TApplication>();
    RegisterWizardForms();
    Application->SetTitle(kProductTitle);
    CreateWizardWindows();
    presenter_ = std::make_unique<TScreenPresenter>(*app_);
    probe_ = std::make_unique<XProbe>();
    form_Main->Show();
  }

  // Runs the program's loop on this thread while `user` acts on another, as a person at the
  // screen would. While the main thread may be blocked the user watches only the X server and the
  // box, never the windows' model.
  void RunWhileUserActs(const std::function<void()>& user) {
    std::atomic<bool> done{false};
    platform::Thread user_thread("user", [&] {
      user();
      done = true;
      // Ends a modal display that the user could not end (a failed test), so that the test ends.
      app_->Post([] { Application->Terminate(); });
    });
    while (!done) app_->HandleMessage();
    user_thread.Join();
  }

  // On the main thread, waiting for it (the user thread only).
  template <typename Read>
  auto OnMain(Read read) {
    decltype(read()) value{};
    app_->Synchronize([&] { value = read(); });
    return value;
  }
  // On the main thread, without waiting: what may open a modal window.
  void Later(std::function<void()> act) { app_->Post(std::move(act)); }

  bool OnPage(TTabSheet* Tform_Main::*page) {
    return OnMain([page] { return form_Main->PageControl1->ActivePage() == form_Main->*page; });
  }
  bool ToPage(TTabSheet* Tform_Main::*page, int timeout_ms = 20000) {
    return Eventually([&] { return OnPage(page); }, timeout_ms);
  }
  void ClickNextInTheModel() {
    Later([] { form_Main->btn_NextClick(form_Main->btn_Next); });
  }
  // The first round found the box: its row is chosen.
  void ChooseTheBox() {
    ASSERT_TRUE(Eventually([&] {
      return OnMain([] { return !form_Main->timer_DeviceDiscovery->Enabled() && form_Main->ListView1->Count() == 1; });
    }));
    Later([] {
      const TRect cell = form_Main->sg_NASList->CellRect(0, 0);
      const TPoint at =
          form_Main->sg_NASList->ClientToForm({(cell.Left + cell.Right) / 2, (cell.Top + cell.Bottom) / 2});
      TDriver(form_Main).ClickAt(at.X, at.Y);
    });
    ASSERT_TRUE(Eventually([&] { return OnMain([] { return form_Main->ListView1->Selected() != nullptr; }); }));
  }
  // Logs in to the factory-fresh box with a new password, up to the settings page.
  void ToTheSettingsPage() {
    ChooseTheBox();
    if (HasFatalFailure()) return;
    ClickNextInTheModel();
    ASSERT_TRUE(ToPage(&Tform_Main::tab_UserPassValid));
    Later([] {
      form_Main->edit_NewPassword1->SetText("secret1");
      form_Main->edit_NewPassword2->SetText("secret1");
      form_Main->btn_NextClick(form_Main->btn_Next);
    });
    ASSERT_TRUE(ToPage(&Tform_Main::tab_CurrentSettings));
  }
  // The X window of a form, and a point of it on the screen.
  unsigned long WindowOf(TForm* form) {
    return OnMain([this, form] { return presenter_->NativeWindow(form); });
  }
  void ScreenPoint(unsigned long window, TPoint at, int& x, int& y) {
    ASSERT_TRUE(probe_->Origin(window, x, y));
    x += at.X;
    y += at.Y;
  }
  void Click(int x, int y) {
    probe_->MovePointer(x, y);
    Pause(50);
    probe_->Button(1, true);
    Pause(80);
    probe_->Button(1, false);
  }
  int TraceCount(const std::string& text) {
    std::lock_guard<std::mutex> lock(traces_mutex_);
    int n = 0;
    for (const std::string& t : traces_) n += t == text;
    return n;
  }
  // The box's requests of one opcode so far.
  size_t Requests(int opcode) {
    size_t n = 0;
    for (const sim::BoxRequest& r : box_->Requests()) n += r.opcode == opcode;
    return n;
  }

  std::unique_ptr<WindowManager> manager_;
  ScratchFolder temp_folder_;
  std::unique_ptr<sim::World> world_;
  sim::BoxNode* box_ = nullptr;
  std::unique_ptr<sim::PcSettings> pc_settings_;
  std::unique_ptr<TApplication> app_;
  std::unique_ptr<TScreenPresenter> presenter_;
  std::unique_ptr<XProbe> probe_;
  std::mutex traces_mutex_;
  std::vector<std::string> traces_;
};

// The window manager's close of the progress window and then of the main window during the
// format, and a click on the main window's close picture: both windows stay, the click only
// brings the progress window to the front, and the one apply sequence ends on the result page
// with every line done, as it does without them.
TEST_P(WizardScreenTest, ClosesAndClicksFromTheDesktopDuringTheApplyChangeNothing) {
  sim::BoxConfig box;
  box.disks = sim::Disks::OneUnformatted();
  box.dns1 = 0;
  box.format_duration_ms = 4000;
  box.reboot_duration_ms = 1000;
  Start(box);
  RunWhileUserActs([&] {
    ToTheSettingsPage();
    if (HasFatalFailure()) return;
    ClickNextInTheModel();
    ASSERT_TRUE(ToPage(&Tform_Main::tab_DiskConfiguration));
    ClickNextInTheModel();
    ASSERT_TRUE(ToPage(&Tform_Main::tab_NetworkDiskMapping));
    ClickNextInTheModel();
    ASSERT_TRUE(Eventually([&] { return OnMain([] { return form_ConfirmFormat->Modal(); }); }));
    Later([] {
      form_ConfirmFormat->lab_checkBoxFormatDiskClick(form_ConfirmFormat);
      form_ConfirmFormat->btn_OKClick(form_ConfirmFormat);
    });
    ASSERT_TRUE(Eventually(
        [&] {
          return OnMain(
              [] { return form_ApplyProgress->Modal() && form_ApplyProgress->ProgressBar1->Position() >= 130; });
        },
        30000))
        << "the format did not start";

    const unsigned long progress = WindowOf(form_ApplyProgress), main = WindowOf(form_Main);
    ASSERT_TRUE(progress && main);
    ASSERT_TRUE(Eventually([&] { return probe_->Viewable(progress); }));
    auto nothing_changed = [&] {
      return probe_->Viewable(progress) && probe_->Viewable(main) && OnMain([] {
               return form_ApplyProgress->Modal() && form_ApplyProgress->ModalResult() == mrNone &&
                      form_Main->Visible() && !Application->Terminated();
             });
    };
    probe_->SendDeleteWindow(progress);
    Pause(500);
    EXPECT_TRUE(nothing_changed()) << "after the progress window's close";
    probe_->SendDeleteWindow(main);
    Pause(500);
    EXPECT_TRUE(nothing_changed()) << "after the main window's close";

    // Without a window manager the main window now covers the progress window; a manager may
    // keep the progress window above its owner.
    probe_->Raise(main);
    int x = 0, y = 0;
    ScreenPoint(main, OnMain([] { return TDriver(form_Main).CenterOf("img_Close"); }), x, y);
    Click(x, y);
    EXPECT_TRUE(Eventually([&] { return probe_->StackedAbove(progress, main); }, 3000))
        << "the progress window came up";
    Pause(500);
    EXPECT_TRUE(nothing_changed()) << "after the click on the close picture";

    // The reboot wait alone takes 90 s.
    ASSERT_TRUE(ToPage(&Tform_Main::tab_ClientSetupFinish, 240000)) << "the apply did not reach the result page";
    const std::vector<std::string> lines = OnMain([] {
      std::vector<std::string> shown;
      for (TLabel* line : {form_Main->lab_PasswordAppliedStatus, form_Main->lab_DeviceAppliedStatus,
                           form_Main->lab_NetworkAppliedStatus, form_Main->lab_DiskAppliedStatus,
                           form_Main->lab_NetworkDiskMappingStatus}) {
        shown.push_back(line->Visible() ? line->Caption() : "(hidden)");
      }
      return shown;
    });
    EXPECT_EQ(lines, std::vector<std::string>(5, platform::FromAnsi(strLabOK)));
    EXPECT_TRUE(OnMain([] { return !form_ApplyProgress->Visible() && !Application->Terminated(); }));
  });
  EXPECT_EQ(TraceCount("thread_RAIDCreateApply- Step0"), 1) << "one apply sequence";
  EXPECT_EQ(TraceCount("thread_RAIDCreateApply::Execute- Finished..."), 1);
  std::vector<std::string> commands;
  for (const sim::BoxRequest& r : box_->Requests()) {
    for (const auto& [name, value] : r.fields) {
      if (name == "command" && (commands.empty() || commands.back() != value)) commands.push_back(value);
    }
  }
  EXPECT_EQ(commands, (std::vector<std::string>{"GETRAIDSTATUS", "GETFORMATSTATUS 1", "CREATE STANDARD 1 EXT3",
                                                "GETFORMATSTATUS 1", "CREATEDEFAULTSHAREFOLDER", "REBOOT"}));
}

// A box that answers the login only after 14 s of silence blocks the main thread in the reply
// wait. Throughout it the main window answers the window manager's ping within a second and shows
// its picture again when exposed; a click made during the wait (on the minimise picture, which
// the login leaves usable) acts after it, once.
TEST_P(WizardScreenTest, TheWindowsStayAliveWhileABoxKeepsSilentAndAClickActsAfterTheWait) {
  Start(sim::BoxConfig{});
  RunWhileUserActs([&] {
    ChooseTheBox();
    if (HasFatalFailure()) return;
    const unsigned long main = WindowOf(form_Main);
    // A point of the picture to cover, and where the minimise picture is.
    const TPoint covered{100, 200};
    const uint32_t picture = probe_->Pixel(main, covered.X, covered.Y);
    ASSERT_NE(picture, 0xFF00FFu);
    int minimise_x = 0, minimise_y = 0;
    ScreenPoint(main, OnMain([] { return TDriver(form_Main).CenterOf("img_Minimize"); }), minimise_x, minimise_y);

    box_->WithBox([](sim::Box& b) { b.faults().reply_delay_ms = 14000; });
    ClickNextInTheModel();
    ASSERT_TRUE(Eventually([&] { return Requests(NAS_OPCODE_PROBE) > 0; }));
    box_->WithBox([](sim::Box& b) { b.faults().reply_delay_ms = 0; });
    const auto asked = std::chrono::steady_clock::now();
    auto since_asked = [&] {
      return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - asked).count();
    };
    // The settings are asked for once the probe's reply is in.
    auto waiting = [&] { return Requests(NAS_OPCODE_SETTINGS) == 0; };

    int pings = 0, unanswered = 0;
    bool exposed = false, clicked = false, minimised_in_the_wait = false;
    while (waiting()) {
      if (since_asked() > 2000 && !exposed) {
        int x = 0, y = 0;
        ScreenPoint(main, {covered.X - 50, covered.Y - 50}, x, y);
        const unsigned long cover = probe_->Cover(x, y, 100, 100, 0xFF00FF);
        Pause(200);
        probe_->Destroy(cover);
        EXPECT_TRUE(Eventually([&] { return probe_->Pixel(main, covered.X, covered.Y) == picture; }, 1000))
            << "the exposed window shows " << std::hex << probe_->Pixel(main, covered.X, covered.Y);
        exposed = true;
      }
      if (since_asked() > 4000 && !clicked) {
        Click(minimise_x, minimise_y);
        clicked = waiting();
      }
      ++pings;
      if (!probe_->AnswersPing(main, 1000) && waiting()) ++unanswered;
      if (clicked && waiting() && !probe_->Viewable(main)) minimised_in_the_wait = true;
      Pause(250);
    }
    EXPECT_GT(since_asked(), 13000) << "the box answered early";
    EXPECT_TRUE(exposed);
    EXPECT_GE(pings, 20);
    EXPECT_EQ(unanswered, 0) << "of " << pings << " pings";
    ASSERT_TRUE(clicked) << "the click did not come during the wait";
    EXPECT_FALSE(minimised_in_the_wait) << "the click acted inside the wait";
    EXPECT_TRUE(Eventually([&] { return OnMain([] { return Application->Minimized(); }); }))
        << "the click did not act after the wait";
    EXPECT_TRUE(ToPage(&Tform_Main::tab_UserPassValid)) << "the login went on";
    Later([] { Application->Restore(); });
    EXPECT_TRUE(Eventually([&] { return probe_->Viewable(WindowOf(form_Main)); }));
    Pause(1000);
    EXPECT_FALSE(OnMain([] { return Application->Minimized(); })) << "the click acted more than once";
  });
}

// On the settings page the keyboard chooses automatic or fixed address and DNS: Tab reaches the
// address mode's checked radio (past the time-zone list, which is no tab stop), the arrows check
// the other one, and Space checks the focused radio again when a click on the other's picture
// took the choice away.
TEST_P(WizardScreenTest, SpaceAndTheArrowKeysChooseAutomaticOrFixedAddressAndDns) {
  sim::BoxConfig box;
  box.dns1 = 0;
  Start(box);
  RunWhileUserActs([&] {
    ToTheSettingsPage();
    if (HasFatalFailure()) return;
    Later([] { form_Main->edit_DeviceName->SetFocus(); });
    const unsigned long main = WindowOf(form_Main);
    ASSERT_TRUE(Eventually([&] { return probe_->FocusedWindow() == main; }));

    auto choice = [&] {
      return OnMain([] {
        const Tform_Main& f = *form_Main;
        Choice c{f.ActiveControl() ? f.ActiveControl()->Name() : "", f.img_radioFixedIP_selected->Visible(),
                 f.img_radioFixedDNS_selected->Visible()};
        const bool consistent = c.fixed_ip == f.radio_FixedIP->Checked() &&
                                c.fixed_dns == f.radio_FixedDNS->Checked() &&
                                c.fixed_ip != f.img_radioAutoIP_selected->Visible() &&
                                c.fixed_dns != f.img_radioAutoDNS_selected->Visible();
        if (!consistent) c.focused += " (the pictures do not show the radios)";
        return c;
      });
    };
    struct Step {
      const char* keysym;
      Choice after;
    } const steps[] = {
        {"Tab", {"radio_AutoIP", false, false}},   {"Right", {"radio_FixedIP", true, true}},
        {"Left", {"radio_AutoIP", false, true}},   {"Tab", {"radio_FixedDNS", false, true}},
        {"Down", {"radio_AutoDNS", false, false}}, {"Up", {"radio_FixedDNS", false, true}},
    };
    for (const Step& step : steps) {
      SCOPED_TRACE(std::string("after ") + step.keysym);
      probe_->Key(step.keysym);
      EXPECT_TRUE(Eventually([&] { return choice() == step.after; }, 3000))
          << choice().focused << " " << choice().fixed_ip << " " << choice().fixed_dns;
    }
    // A click on the automatic DNS picture checks that radio; the focus stays on the fixed one,
    // which Space checks again.
    int x = 0, y = 0;
    ScreenPoint(main, OnMain([] { return TDriver(form_Main).CenterOf("lab_radioAutoDNS"); }), x, y);
    Click(x, y);
    ASSERT_TRUE(Eventually([&] { return choice() == Choice{"radio_FixedDNS", false, false}; }, 3000));
    probe_->Key("space");
    EXPECT_TRUE(Eventually([&] { return choice() == Choice{"radio_FixedDNS", false, true}; }, 3000));
  });
}

INSTANTIATE_TEST_SUITE_P(Desktop, WizardScreenTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "WithWindowManager" : "WithoutWindowManager";
                         });

}  // namespace
