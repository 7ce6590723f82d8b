#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>

#include "platform/exception.h"
#include "platform/thread.h"
#include "platform/time_zone.h"
#include "sim/demo_world.h"
#include "toolkit/application.h"
#include "toolkit/font_config.h"
#include "toolkit/presenter.h"
#include "wizard/forms/forms.h"
#include "wizard/layout_loading.h"
#include "wizard/program.h"

namespace {

// Before the screen exists a failure is told on the standard error: there is no window to show
// it in.
void TellStartFailure(const char* what) { std::fprintf(stderr, "orvo-nas-setup-wizard: %s\n", what); }

// Inside a catch block: tells what is being handled and ends the start with 1. Threads may
// already run (the start-up helper loading fonts, a simulated world's LAN): nothing may be torn
// down under them.
[[noreturn]] void EndFailedStart() {
  try {
    throw;
  } catch (const std::exception& e) {
    TellStartFailure(e.what());
  } catch (...) {
    TellStartFailure("the start failed");
  }
  std::fflush(nullptr);
  std::_Exit(1);
}

// The fonts and the PC's time zones take a while to load: a helper thread loads them while the
// display opens and the windows are built, which then find them ready. When no thread can be
// made the program starts without it and loads them where they are first needed.
void StartPreparation() {
  // The host's service works its zones out once for every thread; a world's own has them at hand.
  const bool host_zones = &platform::CurrentTimeZoneService() == &platform::HostTimeZoneService();
  try {
    platform::Thread preparation("start-up", [host_zones] {
      try {
        PrepareTextContext(WizardTextSamples());
        if (host_zones) platform::HostTimeZoneService().Zones();
      } catch (...) {
        // The main thread meets the same failure where it can show it.
      }
    });
    preparation.Detach();
  } catch (const std::exception&) {
    // The start goes on without its helper.
  }
}

}  // namespace

int main() {
  platform::MarkMainThread();
  try {
    sim::InstallWorldFromEnvironment();
  } catch (const platform::Exception& e) {
    TellStartFailure(e.what());
    return 2;
  } catch (...) {
    EndFailedStart();
  }
  try {
    RegisterWizardForms();
  } catch (...) {
    EndFailedStart();
  }
  StartPreparation();
  std::unique_ptr<TApplication> app;
  std::unique_ptr<TScreenPresenter> presenter;
  try {
    app = std::make_unique<TApplication>();
    presenter = std::make_unique<TScreenPresenter>(*app);
  } catch (...) {
    // No display, or anything else the screen's start meets.
    EndFailedStart();
  }
  const int code = WinMain();
  // Worker threads are not waited for: the process ends with them, as the windows close.
  std::fflush(nullptr);
  std::_Exit(code);
}
