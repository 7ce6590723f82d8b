#include "wizard/program.h"

#include "client/form_connection_test.h"
#include "platform/exception.h"
#include "platform/log_debug.h"
#include "platform/window_registry.h"
#include "text/language_strings.h"
#include "toolkit/application.h"
#include "wizard/dialogs/apply_progress.h"
#include "wizard/dialogs/confirm_format.h"
#include "wizard/dialogs/login_dialog.h"
#include "wizard/dialogs/message_box.h"
#include "wizard/main_form.h"

void CreateWizardWindows() {
  Application->CreateForm(form_Main);
  Application->CreateForm(form_ApplyProgress);
  Application->CreateForm(form_UsernamePassValid);
  Application->CreateForm(form_ConfirmFormat);
  Application->CreateForm(form_MessageBox);
  Application->CreateForm(form_ConnectionTest);
  // The test's progress lines are made of the text slots, which live with the texts.
  form_ConnectionTest->SetTextSlots({&str_ConnectionTest, &str_LabGateway, &str_LabDNS1, &str_LabTestStatus3});
}

int WinMain() {
  try {
    // The running instance's application window carries the title; this one has not set it yet.
    if (platform::HWND running = platform::FindWindowA("TApplication", kProductTitle)) {
      platform::ShowWindow(running, platform::SW_RESTORE);
      platform::SetForegroundWindow(running);
      platform::ShowWindow(platform::FindWindowA("Tform_Main", kProductTitle), platform::SW_SHOW);
      return 0;
    }
    Application->SetTitle(kProductTitle);
    Application->Initialize();
    CreateWizardWindows();
    Application->Run();
  } catch (...) {
    // What is not the framework's exception is shown as one with an empty message, as the
    // framework does; its text goes to the trace.
    Application->HandleException("WinMain");
  }
  return 0;
}
