#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>

// The benchmark's own connection to the X server: when a program's first top-level window is
// mapped and when its first picture is on it, and input through XTest. Benchmark only; it calls
// Xlib directly.
class XSession {
 public:
  XSession();
  ~XSession();
  XSession(const XSession&) = delete;
  XSession& operator=(const XSession&) = delete;

  // Notices windows mapped from now on.
  void Watch();
  // The first top-level window mapped since Watch(), waited for until `deadline_ns` on the
  // monotonic clock; its time of mapping.
  struct Mapped {
    unsigned long window = 0;
    int64_t at_ns = 0;
  };
  std::optional<Mapped> WaitForMap(int64_t deadline_ns);
  // A rectangle of the window's pixels, as a hash; nothing while it cannot be read.
  std::optional<uint64_t> Region(unsigned long window, int x, int y, int width, int height);
  // A strip near the window's top, where neither the wizard nor the reference changes anything.
  std::optional<uint64_t> TopStrip(unsigned long window) { return Region(window, 40, 16, 300, 8); }
  // The window's top-left corner on the screen.
  bool Origin(unsigned long window, int& x, int& y);
  void Click(int x, int y);
  void MovePointer(int x, int y);

 private:
  struct _XDisplay* display_;
};

// The monotonic clock in nanoseconds.
int64_t NowNs();
