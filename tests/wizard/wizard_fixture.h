#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/virtual_clock.h"
#include "scratch_folder.h"
#include "sim/pc_settings.h"
#include "sim/world.h"
#include "toolkit/application.h"
#include "toolkit/driver.h"
#include "toolkit/page_control.h"

// The whole wizard on the virtual clock and the simulated world: the PC at 192.168.1.100/24
// with the boxes a test adds, a registry with the language value and a few of the PC's time
// zones, and the six windows created as the program main does.
class WizardTest : public ::testing::Test {
 protected:
  WizardTest() : WizardTest(platform::VirtualClock::Options{}) {}
  // The virtual clock's start (tick, local time) chosen by the test.
  explicit WizardTest(platform::VirtualClock::Options clock_options);
  ~WizardTest() override;

  // A box on the PC's subnet.
  sim::BoxNode& AddBox(sim::BoxConfig config);
  // Creates the six windows (the main window's creation runs) and, unless told otherwise, shows
  // the main window, which starts the first discovery round.
  void Start(bool show = true);
  // Runs the message loop until `done` holds; fails after `limit_ms` of virtual time.
  void RunUntil(const std::function<bool()>& done, uint64_t limit_ms = 600'000);
  // Runs the message loop for `ms` of virtual time, the timers due at its last instant included.
  void RunFor(uint64_t ms);
  uint64_t Now() const { return platform::CurrentClock().NowMs(); }

  // The main window's page.
  static TTabSheet* Page();
  // Until the discovery round under way has ended.
  void WaitForRoundEnd();
  // A click in the middle of a row's first cell of the device grid.
  void ClickDeviceRow(int row);

  // What the modal dialogs meet while a test runs: every message is recorded with its kind and
  // answered with OK (or Cancel when answer_ok_ is false); the login dialog and the format
  // confirmation run the test's script once they are shown (by default: Cancel, and tick + OK).
  struct Message {
    std::string text;
    int kind;
  };
  std::vector<Message> messages_;
  std::string LastMessage() const { return messages_.empty() ? "no message" : messages_.back().text; }
  bool answer_ok_ = true;
  std::function<void()> on_login_dialog_;
  std::function<void()> on_confirm_format_;

  // The language value of the registry (empty: no value), set before Start.
  std::optional<std::string> language_ = "English";
  // Whether the registry has the utilities' key that holds the language value at all.
  bool language_key_ = true;
  // Changes the main window's layout (its JSON text) before the windows are created; the
  // program's own layout comes back when the test ends.
  std::function<void(std::string& layout)> edit_main_layout_;
  // The name of the PC's zone (a key of the registry's time zones).
  std::string current_zone_ = "W. Europe Standard Time";

  std::vector<std::string> traces_;
  bool Traced(const std::string& text) const;

  // The PC's temporary folder (the reachability test's ping files), one per test: test programs
  // run side by side.
  ScratchFolder temp_folder_;
  platform::ScopedVirtualClock clock_;
  sim::World world_;
  std::unique_ptr<sim::PcSettings> pc_settings_;
  TApplication app_;
  TDriver driver_{nullptr};

 private:
  std::string edited_main_layout_;
};
