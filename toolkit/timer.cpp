#include "toolkit/timer.h"

#include "platform/clock.h"
#include "toolkit/application.h"
#include "toolkit/main_thread.h"

TTimer::TTimer(TComponent* owner) : TComponent(owner) {
  Restart();
  if (Application) Application->AddTimer(this);
}

TTimer::~TTimer() {
  if (Application) Application->RemoveTimer(this);
}

void TTimer::Restart() { due_ = platform::CurrentClock().NowMs() + interval_; }

void TTimer::SetEnabled(bool enabled) {
  TK_ASSERT_MAIN_THREAD("a timer");
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  Restart();
}

void TTimer::SetInterval(uint32_t interval_ms) {
  TK_ASSERT_MAIN_THREAD("a timer");
  if (interval_ == interval_ms) return;
  interval_ = interval_ms;
  Restart();
}

void TTimer::Fire() {
  Restart();
  if (OnTimer) OnTimer(this);
}
