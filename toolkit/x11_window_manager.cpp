#include "toolkit/x11_window_manager.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/shape.h>
#include <poll.h>

#include <algorithm>
#include <cstdint>

#include "platform/clock.h"

namespace {

struct X11Info {
  Display* display = nullptr;
  Window window = 0;
};

X11Info X11Of(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return {};
  return {info.info.x11.display, info.info.x11.window};
}

Window WindowProperty(Display* display, Window w, const char* name) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  Window result = 0;
  if (XGetWindowProperty(display, w, XInternAtom(display, name, False), 0, 1, False, XA_WINDOW, &type, &format, &count,
                         &after, &data) == Success &&
      type == XA_WINDOW && format == 32 && count == 1) {
    result = *reinterpret_cast<Window*>(data);
  }
  if (data) XFree(data);
  return result;
}

Bool IsMapNotifyOf(Display*, XEvent* event, XPointer window) {
  return event->type == MapNotify && event->xmap.window == *reinterpret_cast<Window*>(window);
}

}  // namespace

bool ShowWindowWithin(SDL_Window* window, int timeout_ms) {
  X11Info x11 = X11Of(window);
  if (x11.display) {
    XMapRaised(x11.display, x11.window);
    XFlush(x11.display);
    // The X server answers in real time, whichever clock the program runs on.
    platform::Clock& clock = platform::RealClock();
    const uint64_t deadline = clock.NowMs() + static_cast<uint64_t>(std::max(timeout_ms, 0));
    XEvent event;
    // The map's notice is taken from the queue, as SDL's own wait would take it.
    while (!XCheckIfEvent(x11.display, &event, IsMapNotifyOf, reinterpret_cast<XPointer>(&x11.window))) {
      const uint64_t now = clock.NowMs();
      if (now >= deadline) return false;
      pollfd readable{ConnectionNumber(x11.display), POLLIN, 0};
      poll(&readable, 1, static_cast<int>(deadline - now));
    }
  }
  // The window is mapped: SDL no longer waits, and does the rest of its showing.
  SDL_ShowWindow(window);
  return true;
}

unsigned long X11WindowOf(SDL_Window* window) { return X11Of(window).window; }

int X11ConnectionOf(SDL_Window* window) {
  Display* display = X11Of(window).display;
  return display ? ConnectionNumber(display) : -1;
}

bool SetWindowShape(SDL_Window* window, const std::vector<ShapeRectangle>& rectangles) {
  const X11Info x11 = X11Of(window);
  int event_base = 0, error_base = 0;
  if (!x11.display || !XShapeQueryExtension(x11.display, &event_base, &error_base)) return false;
  std::vector<XRectangle> shape;
  shape.reserve(rectangles.size());
  for (const ShapeRectangle& r : rectangles) {
    shape.push_back({static_cast<short>(r.left), static_cast<short>(r.top), static_cast<unsigned short>(r.width),
                     static_cast<unsigned short>(r.height)});
  }
  for (const int kind : {ShapeBounding, ShapeInput}) {
    XShapeCombineRectangles(x11.display, x11.window, kind, 0, 0, shape.data(), static_cast<int>(shape.size()), ShapeSet,
                            YXBanded);
  }
  return true;
}

bool WindowManagerHas(SDL_Window* window, const char* feature) {
  Display* display = X11Of(window).display;
  if (!display) return false;
  const Window root = DefaultRootWindow(display);
  // A running EWMH manager keeps a check window that names itself.
  const Window check = WindowProperty(display, root, "_NET_SUPPORTING_WM_CHECK");
  if (!check || WindowProperty(display, check, "_NET_SUPPORTING_WM_CHECK") != check) return false;
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  bool found = false;
  const Atom wanted = XInternAtom(display, feature, False);
  if (XGetWindowProperty(display, root, XInternAtom(display, "_NET_SUPPORTED", False), 0, 4096, False, XA_ATOM, &type,
                         &format, &count, &after, &data) == Success &&
      type == XA_ATOM && format == 32) {
    const Atom* atoms = reinterpret_cast<Atom*>(data);
    found = std::find(atoms, atoms + count, wanted) != atoms + count;
  }
  if (data) XFree(data);
  return found;
}

void StartWindowManagerMove(SDL_Window* window, int x, int y, int button) {
  const X11Info x11 = X11Of(window);
  if (!x11.display) return;
  XUngrabPointer(x11.display, CurrentTime);
  XEvent message{};
  message.xclient.type = ClientMessage;
  message.xclient.window = x11.window;
  message.xclient.message_type = XInternAtom(x11.display, "_NET_WM_MOVERESIZE", False);
  message.xclient.format = 32;
  message.xclient.data.l[0] = x;
  message.xclient.data.l[1] = y;
  message.xclient.data.l[2] = 8;  // _NET_WM_MOVERESIZE_MOVE
  message.xclient.data.l[3] = button;
  message.xclient.data.l[4] = 1;  // asked by a normal application
  XSendEvent(x11.display, DefaultRootWindow(x11.display), False, SubstructureRedirectMask | SubstructureNotifyMask,
             &message);
  if (button > 0) {
    XEvent release{};
    release.xbutton.type = ButtonRelease;
    release.xbutton.display = x11.display;
    release.xbutton.window = x11.window;
    release.xbutton.root = DefaultRootWindow(x11.display);
    release.xbutton.button = static_cast<unsigned>(button);
    release.xbutton.same_screen = True;
    XPutBackEvent(x11.display, &release);
  }
  XFlush(x11.display);
}

unsigned long InputFocusOn(SDL_Window* window) {
  const X11Info x11 = X11Of(window);
  Window focus = None;
  int revert = 0;
  if (x11.display) XGetInputFocus(x11.display, &focus, &revert);
  return focus;
}

void SetInputFocus(SDL_Window* window) {
  const X11Info x11 = X11Of(window);
  XWindowAttributes attributes;
  // Focusing a window that is not viewable is an X error, which would end the program.
  if (!x11.display || !XGetWindowAttributes(x11.display, x11.window, &attributes) ||
      attributes.map_state != IsViewable) {
    return;
  }
  XSetInputFocus(x11.display, x11.window, RevertToPointerRoot, CurrentTime);
  XFlush(x11.display);
}

void SyncDisplay(SDL_Window* window) {
  const X11Info x11 = X11Of(window);
  if (x11.display) XSync(x11.display, False);
}
