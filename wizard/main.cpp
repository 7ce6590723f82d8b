#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>

#include "platform/exception.h"
#include "platform/thread.h"
#include "sim/demo_world.h"
#include "toolkit/application.h"
#include "toolkit/presenter.h"
#include "wizard/forms/forms.h"
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
  TApplication app;
  std::unique_ptr<TScreenPresenter> presenter;
  try {
    presenter = std::make_unique<TScreenPresenter>(app);
  } catch (const std::exception& e) {
    // No display, or anything else the screen's start meets: there is no window to show it in.
    std::fprintf(stderr, "orvo-nas-setup-wizard: %s\n", e.what());
    return 1;
  }
  const int code = WinMain();
  // Worker threads are not waited for: the process ends with them, as the windows close.
  std::fflush(nullptr);
  std::_Exit(code);
}
