#pragma once

#include <cstdint>

#include "toolkit/component.h"
#include "toolkit/types.h"

// The framework's timer. Its OnTimer runs on the main thread, and only while the main thread
// processes messages. Changing Enabled or Interval restarts the period; a timer that fell due
// several times while the loop was busy fires once.
class TTimer : public TComponent {
 public:
  explicit TTimer(TComponent* owner);
  ~TTimer() override;
  std::string ClassName() const override { return "TTimer"; }

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  uint32_t Interval() const { return interval_; }
  void SetInterval(uint32_t interval_ms);
  TNotifyEvent OnTimer;

  // Clock ms at which the timer is due next; meaningful while it runs.
  uint64_t Due() const { return due_; }
  bool Running() const { return enabled_ && interval_ > 0 && OnTimer != nullptr; }
  // Called by the message loop when the timer is due.
  void Fire();

 private:
  void Restart();

  bool enabled_ = true;
  uint32_t interval_ = 1000;
  uint64_t due_ = 0;
};
