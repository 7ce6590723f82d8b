#include "wizard_fixture.h"

#include "client/form_connection_test.h"
#include "link/transport.h"
#include "platform/log_debug.h"
#include "toolkit/resources.h"
#include "wizard/dialogs/confirm_format.h"
#include "wizard/dialogs/login_dialog.h"
#include "wizard/dialogs/message_box.h"
#include "wizard/forms/forms.h"
#include "wizard/main_form.h"
#include "wizard/program.h"

namespace {

// A few of the PC's Windows zones; enough to see matching, preselection and the row numbers.
std::vector<platform::WindowsTimeZone> TestZones() {
  return {{"Dateline Standard Time", "(UTC-12:00) International Date Line West", "Dateline Standard Time",
           "Dateline Daylight Time", -720},
          {"Pacific Standard Time", "(UTC-08:00) Pacific Time (US & Canada)", "Pacific Standard Time",
           "Pacific Daylight Time", -480},
          {"UTC", "(UTC) Coordinated Universal Time", "Coordinated Universal Time", "Coordinated Universal Time", 0},
          {"W. Europe Standard Time", "(UTC+01:00) Amsterdam, Berlin, Bern, Rome, Stockholm, Vienna",
           "W. Europe Standard Time", "W. Europe Daylight Time", 60},
          {"Tonga Standard Time", "(UTC+13:00) Nuku'alofa", "Tonga Standard Time", "Tonga Daylight Time", 780},
          {"Mars Standard Time", "(UTC+05:00) Olympus Mons", "Mars Standard Time", "Mars Daylight Time", 300}};
}

}  // namespace

WizardTest::WizardTest(platform::VirtualClock::Options clock_options) : clock_(clock_options) {
  world_.pc().AddInterface("lan", sim::Ipv4Of("192.168.1.100"), sim::Ipv4Of("255.255.255.0"), "Ethernet");
  world_.drives().SetTempFolder(temp_folder_.path().string());
  world_.Install();
  platform::SetTraceObserver([this](std::string_view text, bool) {
    if (getenv("ORVO_TEST_TRACE")) fprintf(stderr, "trace: %.*s\n", int(text.size()), text.data());
    if (platform::IsMainThread()) traces_.emplace_back(text);
  });
}

WizardTest::~WizardTest() {
  // The windows go before the world that their sockets use, and after the threads that might
  // still hand work to them.
  if (form_Main) {
    while (form_Main->ipConfigThreadCount > 0) app_.HandleMessage();
  }
  StopUdpReceiver();
  while (!app_.Components().empty()) delete app_.Components().back();
  platform::SetTraceObserver(nullptr);
  // The edited layout's text goes with the fixture.
  if (!edited_main_layout_.empty()) RegisterWizardForms();
}

sim::BoxNode& WizardTest::AddBox(sim::BoxConfig config) {
  static int count = 0;
  return world_.AddBox("box" + std::to_string(++count), "lan", std::move(config));
}

bool WizardTest::Traced(const std::string& text) const {
  for (const std::string& t : traces_) {
    if (t == text) return true;
  }
  return false;
}

void WizardTest::Start(bool show) {
  pc_settings_ =
      std::make_unique<sim::PcSettings>(sim::SimTimeZones(TestZones(), current_zone_), language_, language_key_);

  RegisterWizardForms();
  if (edit_main_layout_) {
    const std::string file = std::string(kWizardFormsFolder) + "/form_Main.json";
    edited_main_layout_ = std::string(*FindEmbeddedFile(file));
    edit_main_layout_(edited_main_layout_);
    const TEmbeddedFile edited{file.c_str(), reinterpret_cast<const unsigned char*>(edited_main_layout_.data()),
                               edited_main_layout_.size()};
    RegisterEmbeddedFiles(&edited, 1);
  }
  Application->SetTitle(kProductTitle);
  CreateWizardWindows();
  driver_.SetForm(form_Main);

  // The modal dialogs answer by themselves, a turn of the loop after they are shown.
  auto after_show = [](TForm* form, std::function<void()> respond) {
    TNotifyEvent shown = form->OnShow;
    form->OnShow = [shown, respond](TObject* sender) {
      if (shown) shown(sender);
      Application->Post(respond);
    };
  };
  after_show(form_MessageBox, [this] {
    messages_.push_back({form_MessageBox->lab_Message->Caption(), form_MessageBox->msgType});
    if (answer_ok_ || form_MessageBox->msgType != 0) {
      form_MessageBox->lab_btnOKClick(form_MessageBox);
    } else {
      form_MessageBox->lab_btnCancelClick(form_MessageBox);
    }
  });
  after_show(form_UsernamePassValid, [this] {
    if (on_login_dialog_) {
      on_login_dialog_();
    } else {
      form_UsernamePassValid->btn_CancelClick(form_UsernamePassValid);
    }
  });
  after_show(form_ConfirmFormat, [this] {
    if (on_confirm_format_) {
      on_confirm_format_();
    } else {
      form_ConfirmFormat->lab_checkBoxFormatDiskClick(form_ConfirmFormat);
      form_ConfirmFormat->btn_OKClick(form_ConfirmFormat);
    }
  });
  if (show) form_Main->Show();
}

void WizardTest::RunUntil(const std::function<bool()>& done, uint64_t limit_ms) {
  const uint64_t end = Now() + limit_ms;
  while (!done()) {
    ASSERT_LT(Now(), end) << "the condition did not come true in time";
    app_.HandleMessage();
  }
}

void WizardTest::RunFor(uint64_t ms) {
  const uint64_t end = Now() + ms;
  TTimer wake(&app_);
  wake.SetInterval(static_cast<uint32_t>(ms));
  bool woke = false;
  wake.OnTimer = [&](TObject*) { woke = true; };
  while (Now() < end && !woke) app_.HandleMessage();
  // The wake-up may have come before other timers due at the same instant.
  app_.ProcessMessages();
}

TTabSheet* WizardTest::Page() { return form_Main->PageControl1->ActivePage(); }

void WizardTest::WaitForRoundEnd() {
  RunUntil([] { return !form_Main->timer_DeviceDiscovery->Enabled(); });
}

void WizardTest::ClickDeviceRow(int row) {
  const TRect cell = form_Main->sg_NASList->CellRect(0, row);
  const TPoint at = form_Main->sg_NASList->ClientToForm({(cell.Left + cell.Right) / 2, (cell.Top + cell.Bottom) / 2});
  driver_.ClickAt(at.X, at.Y);
}
