#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "child_process.h"
#include "scratch_folder.h"
#include "x_probe.h"

// A window manager (openbox) on the test's X server while it lives, for what must hold with one
// as without. Its settings and cache go to a folder of the test's own.
class WindowManager {
 public:
  // Nothing when it cannot be started; `error` then says why.
  static std::unique_ptr<WindowManager> Start(std::string& error) {
    std::unique_ptr<WindowManager> manager(new WindowManager);
    const std::string home = manager->folder_.path().string();
    manager->process_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{"env", "XDG_CONFIG_HOME=" + home, "XDG_CACHE_HOME=" + home, "openbox", "--sm-disable"},
        true);
    // Ready once it puts a window of the probe's on the screen; each try maps a new one.
    if (!manager->Until(
            [&] { return manager->probe_.WindowManagerRunning() && manager->probe_.NewWindowShows(500); })) {
      error = "openbox did not start (scripts/deps installs it)";
      return nullptr;
    }
    return manager;
  }
  ~WindowManager() {
    if (!process_) return;
    process_->Terminate();
    process_->Wait();
    Until([&] { return !probe_.WindowManagerRunning(); });
  }

 private:
  WindowManager() = default;
  template <typename Done>
  static bool Until(Done done) {
    for (int waited = 0; waited < 10000; waited += 20) {
      if (done()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return done();
  }

  ScratchFolder folder_;
  XProbe probe_;
  std::unique_ptr<ChildProcess> process_;
};
