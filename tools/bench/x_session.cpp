#include "x_session.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <poll.h>

#include <ctime>
#include <stdexcept>

namespace {
// A window that went away between two questions is an answer, not a failure.
int IgnoreErrors(Display*, XErrorEvent*) { return 0; }
}  // namespace

int64_t NowNs() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

XSession::XSession() : display_(XOpenDisplay(nullptr)) {
  if (!display_) throw std::runtime_error("cannot open the display");
  XSetErrorHandler(IgnoreErrors);
}

XSession::~XSession() { XCloseDisplay(display_); }

void XSession::Watch() {
  XSelectInput(display_, DefaultRootWindow(display_), SubstructureNotifyMask);
  XSync(display_, True);
}

std::optional<XSession::Mapped> XSession::WaitForMap(int64_t deadline_ns) {
  for (;;) {
    while (XPending(display_)) {
      XEvent event;
      XNextEvent(display_, &event);
      if (event.type == MapNotify && event.xmap.event == DefaultRootWindow(display_)) {
        const int64_t at = NowNs();
        XSelectInput(display_, DefaultRootWindow(display_), NoEventMask);
        XSync(display_, True);
        return Mapped{event.xmap.window, at};
      }
    }
    const int64_t left_ms = (deadline_ns - NowNs()) / 1'000'000;
    if (left_ms <= 0) return std::nullopt;
    pollfd wait{ConnectionNumber(display_), POLLIN, 0};
    poll(&wait, 1, static_cast<int>(left_ms));
  }
}

std::optional<uint64_t> XSession::Region(unsigned long window, int x, int y, int width, int height) {
  XImage* image = XGetImage(display_, window, x, y, static_cast<unsigned>(width), static_cast<unsigned>(height),
                            AllPlanes, ZPixmap);
  if (!image) return std::nullopt;
  uint64_t hash = 1469598103934665603ull;
  for (int row = 0; row < image->height; ++row) {
    for (int column = 0; column < image->width; ++column) {
      hash = (hash ^ XGetPixel(image, column, row)) * 1099511628211ull;
    }
  }
  XDestroyImage(image);
  return hash;
}

bool XSession::Origin(unsigned long window, int& x, int& y) {
  ::Window child;
  return XTranslateCoordinates(display_, window, DefaultRootWindow(display_), 0, 0, &x, &y, &child);
}

void XSession::MovePointer(int x, int y) {
  XTestFakeMotionEvent(display_, -1, x, y, CurrentTime);
  XFlush(display_);
}

void XSession::Click(int x, int y) {
  MovePointer(x, y);
  XTestFakeButtonEvent(display_, 1, True, CurrentTime);
  XTestFakeButtonEvent(display_, 1, False, CurrentTime);
  XFlush(display_);
}
