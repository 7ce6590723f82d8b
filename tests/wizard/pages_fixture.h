#pragma once

#include <array>
#include <string>
#include <vector>

#include "wizard/main_form.h"
#include "wizard/time_zone_table.h"
#include "wizard_fixture.h"

// The pages of one logged-in box: the password, settings, disk and drive-letter pages, reached as
// a user reaches them. The time-zone table is put back after each test, since a load writes the
// PC's display texts into it for the rest of the run.
class PagesTest : public WizardTest {
 protected:
  PagesTest();
  ~PagesTest() override;

  // A factory-fresh box (no password) with a fixed address and no disks, unless told otherwise.
  static sim::BoxConfig FreshBox();
  // Starts the wizard, chooses the one box and logs in: the password page.
  void LogIn(const sim::BoxConfig& box);
  // The same once the box is added and the wizard started.
  void LogInToTheStartedWizard();
  // Logs in to a box with the password "orvo", typed into the login dialog.
  void LogInWithPassword(sim::BoxConfig box);
  // From the password page with a new password on to the settings page.
  void ToSettingsPage();
  // From the settings page (automatic IP and DNS) on to the disk page.
  void ToDiskPage();

  TWinControl* Focused() const { return form_Main->ActiveControl(); }
  TEdit* Edit(const std::string& name) const { return driver_.Get<TEdit>(name); }
  TLabel* Label(const std::string& name) const { return driver_.Get<TLabel>(name); }
  TImage* Picture(const std::string& name) const { return driver_.Get<TImage>(name); }

  // The five address groups by the middle of their control names ("IPAddr" ... "IPDNS2_").
  static const std::array<std::string, 5>& Groups();
  std::array<TEdit*, 4> Octets(const std::string& group) const;
  std::array<std::string, 4> Texts(const std::string& group) const;
  // The group's caption, four octet labels and three dot labels.
  std::vector<TLabel*> Captions(const std::string& group) const;

  // The time-zone table as it stood before the test.
  const TimeZoneTableRow& OriginalRow(int index) const { return saved_table_[static_cast<size_t>(index)]; }

  // Runs the message loop until the virtual clock reads `t`, timers due at `t` included.
  void RunTo(uint64_t t) {
    if (t > Now()) RunFor(t - Now());
    app_.ProcessMessages();
  }

 private:
  std::array<TimeZoneTableRow, kTimeZoneCount> saved_table_;
};
