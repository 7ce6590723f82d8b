#pragma once

#include <cstdint>

namespace platform {

// What keeps the program's windows alive while the main thread is blocked in a wait. The X11
// desktop asks a window's program itself (the window manager's ping, the picture of an exposed
// window) and greys out a window that does not answer; the platform the design was made for
// keeps a busy window's last picture by itself. The on-screen presenter installs one for its
// life.
class WaitKeeper {
 public:
  virtual ~WaitKeeper() = default;
  // Main thread, between two slices of a wait: answers the desktop and shows exposed windows
  // again. Runs no handler, timer or posted message and takes no input: the input stays queued
  // for the message loop, in its order.
  virtual void KeepAlive() = 0;
};

// nullptr: none.
void InstallWaitKeeper(WaitKeeper* keeper);

// How long a wait of the main thread goes without its keeper: well within the second in which a
// desktop expects a window to answer.
constexpr uint64_t kWaitSliceMs = 100;

// Whether a wait about to block the calling thread is to wait in slices and keep the windows alive
// between them: on the main thread, with a keeper installed, and not inside the keeper itself.
bool WaitsInSlices();
// Runs the keeper when WaitsInSlices(); a wait inside it waits whole.
void KeepWindowsAlive();

}  // namespace platform
