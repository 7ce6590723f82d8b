#include "link/delay.h"

#include "platform/clock.h"
#include "platform/thread.h"
#include "toolkit/application.h"

void Delay(uint32_t ms, bool pump) {
  const uint32_t start = platform::TimeGetTime();
  const bool pumping = pump && platform::IsMainThread() && Application;
  while (static_cast<uint32_t>(platform::TimeGetTime() - start) <= ms) {
    platform::Sleep(10);
    if (pumping) Application->ProcessMessages();
  }
}
