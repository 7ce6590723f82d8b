#pragma once

#include <cstdint>

// Waits until more than `ms` milliseconds have passed on the tick count (wrap-safe). Each turn
// sleeps 10 ms and, when `pump` is set and the caller is the main thread, lets the message loop
// process what is pending. At least one turn is made. On other threads it only sleeps.
void Delay(uint32_t ms, bool pump);
