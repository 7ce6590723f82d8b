#include <gtest/gtest.h>

#include <cstring>

#include "exchange_fixture.h"
#include "link/disk_command.h"
#include "platform/ansi.h"
#include "platform/code_page.h"
#include "platform/drives.h"
#include "toolkit/timer.h"
#include "wizard/dialogs/apply_progress.h"
#include "wizard/dialogs/login_dialog.h"
#include "wizard/main_form.h"

// The apply sequence, from the last settings page to the result page, on the simulated LAN.

namespace {

using Steps = std::vector<std::string>;

std::string Join(const Steps& steps) {
  std::string all;
  for (const std::string& s : steps) all += s + "\n";
  return all;
}

class ApplyTest : public ExchangeTest {
 protected:
  void SetUp() override {
    world_.processes().AnswerPings(sim::Ipv4Of("192.168.1.1"));
    world_.processes().AnswerPings(sim::Ipv4Of("8.8.8.8"));
  }
  void ClickNext() { form_Main->btn_NextClick(form_Main->btn_Next); }

  // Through the pages up to the disk page: the login (with the box's password in the login
  // dialog when it has one), a new password or the current one, the settings as they are.
  void GoToDiskPage(const std::string& box_password, const std::string& new_password) {
    StartAndFindTheBox();
    on_login_dialog_ = [box_password] {
      form_UsernamePassValid->edit_Username->SetText("admin");
      form_UsernamePassValid->edit_Password->SetText(box_password);
      form_UsernamePassValid->btn_OKClick(form_UsernamePassValid->btn_OK);
    };
    ClickNext();
    ASSERT_EQ(Page(), form_Main->tab_UserPassValid) << LastMessage();
    if (!new_password.empty()) {
      form_Main->checkBox_UseOriginalPassword->SetChecked(false);
      form_Main->edit_NewPassword1->SetText(new_password);
      form_Main->edit_NewPassword2->SetText(new_password);
    }
    ClickNext();
    ASSERT_EQ(Page(), form_Main->tab_CurrentSettings) << LastMessage();
    ClickNext();
    ASSERT_EQ(Page(), form_Main->tab_DiskConfiguration) << LastMessage() << ", on " << Page()->Name();
  }
  // Next on the disk page, and on the drive-letter page when a new layout leads there; returns
  // when the progress dialog has closed.
  void Apply() {
    apply_started_ = Now();
    ClickNext();
    if (Page() == form_Main->tab_NetworkDiskMapping) {
      apply_started_ = Now();
      ClickNext();
    }
    ASSERT_FALSE(form_ApplyProgress->Visible());
  }
  // What the progress dialog showed, in order, since the apply began.
  Steps ShownSteps() {
    Steps steps;
    for (const TimedTrace& t : AllTraces()) {
      if (t.time_ms < apply_started_) continue;
      for (const char* prefix : {"ApplyStatus: ", "ApplyProgress: "}) {
        if (t.text.rfind(prefix, 0) == 0) steps.push_back(t.text.substr(std::strlen(prefix)));
      }
    }
    return steps;
  }
  std::vector<std::string> CommandsToBox() {
    std::vector<std::string> texts;
    for (const auto& [time, text] : DiskCommandsSent(apply_started_)) {
      if (texts.empty() || texts.back() != text) texts.push_back(text);
    }
    return texts;
  }

  // Chooses a drive letter in one of the two lists as a pick in its drop-down does.
  void ChooseLetter(int list, char letter) {
    Tform_Main& f = *form_Main;
    TComboBox* combo = list == 1 ? f.cb_DriveList1 : f.cb_DriveList2;
    for (int i = 0; i < combo->Items().Count(); ++i) {
      if (combo->Items()[i][0] != letter) continue;
      combo->SetItemIndex(i);
      if (list == 1) {
        f.SelectDriveList1Item(i);
        f.cb_DriveList1Change(combo);
      } else {
        f.SelectDriveList2Item(i);
        f.cb_DriveList2Change(combo);
      }
      return;
    }
    ADD_FAILURE() << "no letter " << letter;
  }
  std::vector<platform::NetworkConnection> Connections() { return world_.drives().Connections().session(); }
  // The time of a step the progress dialog showed.
  uint64_t StepTime(const std::string& step) {
    for (const TimedTrace& t : AllTraces()) {
      if (t.time_ms >= apply_started_ && (t.text == "ApplyStatus: " + step || t.text == "ApplyProgress: " + step)) {
        return t.time_ms;
      }
    }
    ADD_FAILURE() << "not shown: " << step;
    return 0;
  }
  // The reboot wait's status for ticks [from, to).
  static Steps RebootWait(int from, int to) {
    Steps steps;
    for (int t = from; t < to; ++t) {
      steps.push_back("Waiting for device reboot: " + std::to_string(static_cast<int>(t / 180.0 * 100.0)) + "%");
    }
    return steps;
  }
  static Steps Concat(std::initializer_list<Steps> parts) {
    Steps all;
    for (const Steps& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
  }

  // A factory-fresh box with one disk whose format takes 6 s, and every status and position of its
  // whole run, in order, when it is found again in the first search round after its reboot.
  static sim::BoxConfig NewLayoutBox() {
    sim::BoxConfig config;
    config.disks = sim::Disks::OneUnformatted();
    config.format_duration_ms = 6000;
    return config;
  }
  static Steps NewLayoutSteps();

  uint64_t apply_started_ = 0;
};

const Steps kBusyCheck = {"0",
                          "Preparing...",
                          "Checking if NAS is busy...",
                          "10",
                          "Waiting for NAS availability :  0%",
                          "Waiting for NAS availability :  100 %",
                          "110"};
const Steps kSettingsAndReboot = {"Applying device and network settings...",
                                  "260",
                                  "Device and network settings are applied!",
                                  "270",
                                  "Device is rebooting...",
                                  "280",
                                  "Device is being rebooted!",
                                  "290",
                                  "300"};

Steps ApplyTest::NewLayoutSteps() {
  const Steps disk_steps = {
      "Applying disk settings...", "120", "Disk Settings are applied...", "125", "Disk format preparing...", "130",
      // The box formats for 6 s from the create command; a pass a second.
      "Disk format : 0%", "180", "Disk format : 50%", "198", "Disk format : 68%", "215", "Disk format : 85%", "230",
      "Creating share folder on NAS...", "235", "Share folder is created!", "240"};
  return Concat({kBusyCheck,
                 disk_steps,
                 kSettingsAndReboot,
                 RebootWait(0, 90),
                 RebootWait(170, 180),
                 {"Creating Network Disk...", "310", "Settings are all applied!", "320"}});
}

// A factory-fresh box with one disk: the whole run, every status and position in order.
TEST_F(ApplyTest, ANewLayoutRunsEveryStepInOrder) {
  AddTheBox(NewLayoutBox());
  GoToDiskPage("", "secret1");
  Apply();
  ASSERT_EQ(Page(), form_Main->tab_ClientSetupFinish) << LastMessage();
  EXPECT_TRUE(messages_.empty()) << LastMessage();
  const Steps shown = ShownSteps();
  EXPECT_EQ(shown, NewLayoutSteps()) << Join(shown);
  // Found in the first search round: 90 s of fixed wait and one round, then 94 % to 99 % over 10 s.
  const uint64_t found = StepTime("Waiting for device reboot: 94%");
  EXPECT_GE(found - StepTime("300"), 92'000u);
  EXPECT_LT(found - StepTime("300"), 93'000u);
  EXPECT_EQ(StepTime("Creating Network Disk...") - found, 10'000u);

  // One busy check, and the reboot sent with the new password.
  std::vector<std::pair<std::string, std::string>> commands;
  for (const sim::BoxRequest& r : BoxDiskCommands()) {
    if (r.time_ms < apply_started_) continue;
    if (commands.empty() || commands.back().first != CommandOf(r)) commands.emplace_back(CommandOf(r), r.password);
  }
  EXPECT_EQ(commands, (std::vector<std::pair<std::string, std::string>>{{"GETFORMATSTATUS 1", ""},
                                                                        {"CREATE STANDARD 1 EXT3", ""},
                                                                        {"GETFORMATSTATUS 1", ""},
                                                                        {"CREATEDEFAULTSHAREFOLDER", ""},
                                                                        {"REBOOT", "secret1"}}));
  EXPECT_EQ(DiskCommandsSent(apply_started_).front().second, "GETFORMATSTATUS 1");
  EXPECT_EQ(DiskCommandsSent(apply_started_)[5].second, "CREATE STANDARD 1 EXT3") << "one busy check, five copies";

  const Tform_Main& f = *form_Main;
  EXPECT_EQ(f.iGetNASInfoResult.load(), 5);
  EXPECT_EQ(f.settingsApplied, 1);
  EXPECT_EQ(f.diskApplied, 1);
  EXPECT_EQ(f.driveMappingApplied, 1);
  EXPECT_EQ(f.deviceFoundAfterReboot, 1);
  EXPECT_EQ(Connections(), (std::vector<platform::NetworkConnection>{{"Z:", "\\\\NAS\\Volume_1"}}));
  // The thread handed every command and its time-out to the main thread.
  for (const TimedTrace& t : AllTraces()) {
    if (t.text == "Tform_Main::SetRAIDCommand- activated!" || t.text == "Tform_Main::timer_RAIDExecTimer") {
      EXPECT_TRUE(t.main_thread) << t.text << " at " << t.time_ms;
    }
  }
}

// The desktop's closes while the apply runs (the window manager's close of the progress window,
// then of the main window, every 8 s from the format to the reboot wait's end) change nothing:
// both windows stay, and the one sequence runs on and ends on the result page having shown and
// sent what it shows and sends without them.
TEST_F(ApplyTest, ClosesFromTheDesktopWhileTheApplyRunsChangeNothing) {
  AddTheBox(NewLayoutBox());
  GoToDiskPage("", "secret1");
  int closes = 0, stayed = 0;
  TTimer closer(&app_);
  closer.SetInterval(8000);
  closer.OnTimer = [&](TObject*) {
    if (!form_ApplyProgress->Modal()) return;
    ++closes;
    form_ApplyProgress->CloseFromDesktop();
    form_Main->CloseFromDesktop();
    form_ApplyProgress->Close();
    if (form_ApplyProgress->Modal() && form_ApplyProgress->ModalResult() == mrNone && form_Main->Visible() &&
        !app_.Terminated()) {
      ++stayed;
    }
  };
  Apply();
  closer.SetEnabled(false);
  EXPECT_GE(closes, 10);
  EXPECT_EQ(stayed, closes);
  ASSERT_EQ(Page(), form_Main->tab_ClientSetupFinish) << LastMessage();
  EXPECT_TRUE(messages_.empty()) << LastMessage();
  const Steps shown = ShownSteps();
  EXPECT_EQ(shown, NewLayoutSteps()) << Join(shown);
  EXPECT_EQ(TraceCount("thread_RAIDCreateApply- Step0"), 1);
  EXPECT_EQ(CommandsToBox(), (std::vector<std::string>{"GETFORMATSTATUS 1", "CREATE STANDARD 1 EXT3",
                                                       "GETFORMATSTATUS 1", "CREATEDEFAULTSHAREFOLDER", "REBOOT"}));
  EXPECT_FALSE(form_ApplyProgress->Visible());
  EXPECT_FALSE(app_.Terminated());
}

// A box's host name with a line break and tabs makes no share name: the mapping is refused, the
// result page says so, and the PC has no connection of it, remembered or not.
TEST_F(ApplyTest, AHostNameWithControlCharactersIsNotMapped) {
  sim::BoxConfig config;
  config.host_name = "NAS\nremembered\tQ:\t\\\\Evil\\Share";
  config.disks = sim::Disks::OneUnformatted();
  AddTheBox(config);
  GoToDiskPage("", "secret1");
  Apply();
  ASSERT_EQ(Page(), form_Main->tab_ClientSetupFinish) << LastMessage();
  EXPECT_TRUE(messages_.empty()) << LastMessage();
  EXPECT_EQ(form_Main->settingsApplied, 1);
  EXPECT_EQ(form_Main->driveMappingApplied, 0);
  EXPECT_EQ(form_Main->lab_NetworkDiskMappingStatus->Caption(), "Failed!");
  EXPECT_EQ(TraceCount("Create Network Disk Error, Error Code: " + std::to_string(platform::ERROR_INVALID_NAME)), 1);
  EXPECT_EQ(world_.drives().Connections(), platform::ConnectionTable());
}

// Keeping the disks of a box that has them: no disk steps and no drive mapping.
TEST_F(ApplyTest, KeepingTheDiskConfigurationSkipsTheDiskStepsAndTheMapping) {
  sim::BoxConfig config;
  config.admin_password = "orvo";
  config.configured_before = true;
  config.disks = sim::Disks::Raid1(sim::FileSystem::kExt3);
  AddTheBox(config);
  GoToDiskPage("orvo", "");
  ASSERT_TRUE(form_Main->checkBox_UseDefaultDiskSetting->Checked());
  Apply();
  ASSERT_EQ(Page(), form_Main->tab_ClientSetupFinish) << LastMessage();
  EXPECT_EQ(ShownSteps(), Concat({kBusyCheck,
                                  kSettingsAndReboot,
                                  RebootWait(0, 90),
                                  RebootWait(170, 180),
                                  {"Settings are all applied!", "320"}}));
  EXPECT_EQ(CommandsToBox(), (std::vector<std::string>{"GETFORMATSTATUS 1", "REBOOT"}));
  EXPECT_EQ(form_Main->diskApplied, 1);
  EXPECT_EQ(form_Main->driveMappingApplied, 0);
  EXPECT_TRUE(Connections().empty());
}

TEST_F(ApplyTest, ABoxWithoutDisksHasNoDiskStepsAndNothingApplied) {
  AddTheBox();
  GoToDiskPage("", "secret1");
  Apply();
  ASSERT_EQ(Page(), form_Main->tab_ClientSetupFinish) << LastMessage();
  EXPECT_EQ(CommandsToBox(), (std::vector<std::string>{"GETFORMATSTATUS 1", "REBOOT"}));
  EXPECT_EQ(form_Main->settingsApplied, 1);
  EXPECT_EQ(form_Main->diskApplied, 0);
  EXPECT_EQ(form_Main->driveMappingApplied, 0);
  EXPECT_TRUE(Connections().empty());
}

struct LayoutCase {
  const char* name;
  const char* level_label;
  std::vector<platform::NetworkConnection> connections;
};

class TwoDiskMappingTest : public ApplyTest, public ::testing::WithParamInterface<LayoutCase> {};

// Two Standard disks are two volumes on the two chosen letters; an array is one volume.
TEST_P(TwoDiskMappingTest, TheVolumesGoToTheChosenLetters) {
  sim::BoxConfig config;
  config.host_name = "Twin";
  config.disks = sim::Disks({sim::Bay{true}, sim::Bay{true}});
  AddTheBox(config);
  GoToDiskPage("", "secret1");
  driver_.Click(GetParam().level_label);
  ClickNext();
  ASSERT_EQ(Page(), form_Main->tab_NetworkDiskMapping);
  ChooseLetter(1, 'X');
  ChooseLetter(2, 'W');
  Apply();
  ASSERT_EQ(Page(), form_Main->tab_ClientSetupFinish) << LastMessage();
  EXPECT_EQ(Connections(), GetParam().connections);
  EXPECT_EQ(form_Main->driveMappingApplied, 1);
}

INSTANTIATE_TEST_SUITE_P(Cases, TwoDiskMappingTest,
                         ::testing::Values(LayoutCase{"standard",
                                                      "lab_radioSTANDARD",
                                                      {{"X:", "\\\\Twin\\Volume_1"}, {"W:", "\\\\Twin\\Volume_2"}}},
                                           LayoutCase{"jbod", "lab_radioJBOD", {{"X:", "\\\\Twin\\Volume_1"}}}),
                         [](const auto& info) { return info.param.name; });

struct InUseCase {
  const char* name;
  bool cancel_fails;
  uint64_t gap;
  uint8_t mapped;
  platform::NetworkConnection on_z;
};

class LetterInUseTest : public ApplyTest, public ::testing::WithParamInterface<InUseCase> {};

// A chosen letter that is connected to another share is disconnected first; the mapping follows
// 3000 ms later. When the disconnection fails the mapping is still tried, and its error decides.
TEST_P(LetterInUseTest, IsDisconnectedBeforeTheVolumeIsMapped) {
  const InUseCase& c = GetParam();
  world_.drives().WithConnections([](platform::ConnectionTable& t) { return t.Add("Z:", "\\\\files\\old", true); });
  if (c.cancel_fails) world_.drives().Fail(platform::DriveCall::kCancelConnection, platform::ERROR_ACCESS_DENIED);
  sim::BoxConfig config;
  config.disks = sim::Disks::OneUnformatted();
  AddTheBox(config);
  GoToDiskPage("", "secret1");
  ClickNext();
  ASSERT_EQ(Page(), form_Main->tab_NetworkDiskMapping);
  ASSERT_EQ(form_Main->cb_DriveList1->Text(), "Z:  \\\\files\\old") << "the first letter is the one in use";
  Apply();
  ASSERT_EQ(Page(), form_Main->tab_ClientSetupFinish) << LastMessage();
  EXPECT_EQ(Connections(), std::vector<platform::NetworkConnection>{c.on_z});
  EXPECT_EQ(form_Main->driveMappingApplied, c.mapped);
  const std::string result =
      c.mapped ? "Create Network Disk Successfully"
               : "Create Network Disk Error, Error Code: " + std::to_string(platform::ERROR_ALREADY_ASSIGNED);
  const std::optional<uint64_t> mapped_at = TraceTime(result, apply_started_);
  ASSERT_TRUE(mapped_at.has_value());
  EXPECT_EQ(*mapped_at - StepTime("Creating Network Disk..."), c.gap);
  EXPECT_EQ(TraceCount("Disconnect network disk failed..."), c.cancel_fails ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, LetterInUseTest,
                         ::testing::Values(InUseCase{"disconnected", false, 3000, 1, {"Z:", "\\\\NAS\\Volume_1"}},
                                           InUseCase{"disconnection_fails", true, 0, 0, {"Z:", "\\\\files\\old"}}),
                         [](const auto& info) { return info.param.name; });

// A box that never comes back: about 30 search rounds after the fixed 90 s, no mapping, and the
// result page after the error.
TEST_F(ApplyTest, ABoxNeverFoundAgainEndsOnTheResultPageWithAnError) {
  sim::BoxConfig config;
  config.disks = sim::Disks::OneUnformatted();
  config.faults.never_return_after_reboot = true;
  AddTheBox(config);
  GoToDiskPage("", "secret1");
  Apply();
  ASSERT_EQ(Page(), form_Main->tab_ClientSetupFinish);
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].text, "Device is not found, please make sure the NAS is still on line.");
  EXPECT_EQ(messages_[0].kind, 2);
  const Steps shown = ShownSteps();
  Steps rounds;
  for (int t = 90; t < 180; t += 3) rounds.push_back(RebootWait(t, t + 1)[0]);
  const Steps tail(shown.end() - static_cast<std::ptrdiff_t>(rounds.size() + 1), shown.end());
  EXPECT_EQ(tail, Concat({rounds, {"320"}})) << "30 rounds, no mapping, no last status";
  const uint64_t waited = StepTime("320") - StepTime("300");
  EXPECT_GT(waited, 90'000u + 30 * 3'000u);
  EXPECT_LT(waited, 90'000u + 30 * 3'300u);
  EXPECT_EQ(TraceCount("Tform_Main::tab_NASListShow(TObject *Sender)") - 1, 30) << "the rounds after the first";
  const Tform_Main& f = *form_Main;
  EXPECT_EQ(f.iGetNASInfoResult.load(), 5);
  EXPECT_EQ(f.deviceFoundAfterReboot, 0);
  EXPECT_EQ(f.settingsApplied, 1);
  EXPECT_EQ(f.diskApplied, 1);
  EXPECT_EQ(f.driveMappingApplied, 0);
  EXPECT_TRUE(Connections().empty());
}

struct FailureCase {
  const char* name;
  const char* after_command;  // the fault comes once the box was sent this command (nullptr: at once)
  std::function<void(sim::BoxFaults&)> fault;
  int32_t result;
  std::string message;
  uint8_t disk_applied;
  std::string last_command;
  size_t last_command_times;  // in a row, each sent five times
};

class ApplyFailureTest : public ApplyTest, public ::testing::WithParamInterface<FailureCase> {};

// The sequence ends at its first failure with the reason's message, leaves the page as it is and
// the box as far as it got.
TEST_P(ApplyFailureTest, EndsAtTheFirstFailureWithItsMessage) {
  const FailureCase& c = GetParam();
  sim::BoxConfig config;
  config.disks = sim::Disks::OneUnformatted();
  AddTheBox(config);
  GoToDiskPage("", "secret1");
  TTimer watch(Application);
  watch.SetInterval(100);
  watch.OnTimer = [&](TObject*) {
    const std::vector<sim::BoxRequest> commands = BoxDiskCommands();
    if (!commands.empty() && CommandOf(commands.back()).rfind(c.after_command, 0) == 0) SetFaults(c.fault);
  };
  watch.SetEnabled(c.after_command != nullptr);
  if (!c.after_command) SetFaults(c.fault);
  Apply();
  EXPECT_EQ(Page(), form_Main->tab_NetworkDiskMapping) << "the page stays";
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].text, c.message);
  EXPECT_EQ(messages_[0].kind, 1);
  EXPECT_EQ(form_Main->iGetNASInfoResult.load(), c.result);
  EXPECT_EQ(form_Main->diskApplied, c.disk_applied);
  EXPECT_EQ(form_Main->settingsApplied, 0);
  EXPECT_EQ(form_Main->driveMappingApplied, 0);
  const std::vector<std::pair<uint64_t, std::string>> sent = DiskCommandsSent(apply_started_);
  size_t copies = 0;
  for (auto it = sent.rbegin(); it != sent.rend() && it->second == c.last_command; ++it) ++copies;
  EXPECT_EQ(copies, 5 * c.last_command_times) << c.last_command;
}

const std::string kDamaged = "Disk is damaged, please make sure your disk is still working.";
const std::string kFailed = "The connection is failed, please try it later.";

INSTANTIATE_TEST_SUITE_P(
    Cases, ApplyFailureTest,
    ::testing::Values(
        // The busy check's first reply says damaged; the next pass counts the third error.
        FailureCase{"damaged_in_busy_check", nullptr, [](sim::BoxFaults& f) { f.damaged_disk = true; }, 4, kDamaged, 0,
                    "GETFORMATSTATUS 1", 1},
        FailureCase{"damaged_while_formatting", "CREATE ", [](sim::BoxFaults& f) { f.damaged_disk = true; }, 4,
                    kDamaged, 0, "GETFORMATSTATUS 1", 1},
        FailureCase{"no_reply_three_times_in_the_busy_check", nullptr, [](sim::BoxFaults& f) { f.silent = true; }, -1,
                    kFailed, 0, "GETFORMATSTATUS 1", 3},
        // Replies with an error byte are dropped: five time-outs of the create command.
        FailureCase{"create_unanswered_five_times", "GETFORMATSTATUS", [](sim::BoxFaults& f) { f.error_class = 0x02; },
                    -1, kFailed, 0, "CREATE STANDARD 1 EXT3", 5},
        // A box that no longer takes the password once the disks are set up.
        FailureCase{"wrong_password_at_the_second_probe", "CREATEDEFAULTSHAREFOLDER",
                    [](sim::BoxFaults& f) { f.error_class = 0x01; }, 0,
                    "The password is not valid anymore, please operate the setup again.", 1, "CREATEDEFAULTSHAREFOLDER",
                    1}),
    [](const auto& info) { return info.param.name; });

// The completion handler turns the outcome into a message and, for a finished run, the result
// page; it always closes the progress dialog.
TEST_F(ApplyTest, TheCompletionHandlerReportsTheOutcome) {
  Start();
  Tform_Main& f = *form_Main;
  struct Case {
    int32_t result;
    uint8_t found;
    std::optional<Message> message;
    bool result_page;
  } const cases[] = {
      {-1, 0, Message{kFailed, 1}, false},
      {1, 0, Message{kFailed, 1}, false},
      {2, 0, Message{kFailed, 1}, false},
      {3, 0, Message{kFailed, 1}, false},
      {0, 0, Message{"The password is not valid anymore, please operate the setup again.", 1}, false},
      {4, 0, Message{kDamaged, 1}, false},
      {5, 0, Message{"Device is not found, please make sure the NAS is still on line.", 2}, true},
      {5, 1, std::nullopt, true},
      {6, 1, std::nullopt, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("result " + std::to_string(c.result));
    f.PageControl1->SetActivePage(f.tab_NetworkDiskMapping);
    form_ApplyProgress->Show();
    messages_.clear();
    traces_.clear();
    f.iGetNASInfoResult.store(c.result);
    f.deviceFoundAfterReboot = c.found;
    f.thread_RAIDCreateApplyTerminate(nullptr);
    ASSERT_EQ(messages_.size(), c.message ? 1u : 0u);
    if (c.message) {
      EXPECT_EQ(messages_[0].text, c.message->text);
      EXPECT_EQ(messages_[0].kind, c.message->kind);
    }
    EXPECT_EQ(f.PageControl1->ActivePage(), c.result_page ? f.tab_ClientSetupFinish : f.tab_NetworkDiskMapping);
    EXPECT_FALSE(form_ApplyProgress->Visible());
    const bool traced = c.result == -1 || (c.result >= 1 && c.result <= 3);
    EXPECT_EQ(Traced("!!!!!!iGetNASInfoResult: " + std::to_string(c.result) + "!!!!!!!!"), traced);
  }
}

// A password of double-byte characters takes two bytes a character: the box is written the whole
// of it, and the reboot command that follows carries the same bytes.
TEST_F(ApplyTest, ANewPasswordInADoubleByteCodePageIsWrittenWhole) {
  struct CodePage {
    CodePage() { platform::SetSystemCodePage(932); }
    ~CodePage() { platform::SetSystemCodePage(0); }
  } japanese;
  const std::string password =
      "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x81\xAE\xE3\x83\x91\xE3\x82\xB9\xE3\x83\xAF"
      "\xE3\x83\xBC\xE3\x83\x89\xE3\x81\xA7\xE3\x81\x99";  // eleven characters
  const std::string ansi = platform::ToAnsi(password).bytes();
  ASSERT_EQ(ansi.size(), 22u);
  AddTheBox();
  GoToDiskPage("", password);
  Apply();
  ASSERT_EQ(Page(), form_Main->tab_ClientSetupFinish) << LastMessage();
  EXPECT_TRUE(messages_.empty()) << LastMessage();
  box().WithBox([&](sim::Box& b) { EXPECT_EQ(b.config().admin_password, ansi); });
  EXPECT_EQ(BoxDiskCommands().back().password, ansi);
  EXPECT_EQ(CommandOf(BoxDiskCommands().back()), "REBOOT");
}

}  // namespace
