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

int main() {
  platform::MarkMainThread();
  try {
    sim::InstallWorldFromEnvironment();
  } catch (const platform::Exception& e) {
    std::fprintf(stderr, "orvo-nas-setup-wizard: %s\n", e.what());
    return 2;
  }
  RegisterWizardForms();
  // The fonts and the PC's time zones take a while to load: a helper thread loads them while the
  // display opens and the windows are built, which then find them ready.
  // The host's service works its zones out once for every thread; a world's own has them at hand.
  const bool host_zones = &platform::CurrentTimeZoneService() == &platform::HostTimeZoneService();
  platform::Thread preparation("start-up", [host_zones] {
    try {
      PrepareTextContext(WizardTextSamples());
      if (host_zones) platform::HostTimeZoneService().Zones();
    } catch (...) {
      // The main thread meets the same failure where it can show it.
    }
  });
  preparation.Detach();
  TApplication app;
  std::unique_ptr<TScreenPresenter> presenter;
  try {
    presenter = std::make_unique<TScreenPresenter>(app);
  } catch (const std::exception& e) {
    // No display, or anything else the screen's start meets: there is no window to show it in.
    std::fprintf(stderr, "orvo-nas-setup-wizard: %s\n", e.what());
    // The start-up helper may still be loading fonts: nothing may be torn down under it.
    std::fflush(nullptr);
    std::_Exit(1);
  }
  const int code = WinMain();
  // Worker threads are not waited for: the process ends with them, as the windows close.
  std::fflush(nullptr);
  std::_Exit(code);
}
