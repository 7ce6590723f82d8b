#include "x_probe.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xfixes.h>
#include <X11/extensions/shape.h>

#include <chrono>
#include <stdexcept>
#include <thread>

namespace {
// A window that went away between two questions is an answer, not a failure.
int IgnoreErrors(Display*, XErrorEvent*) { return 0; }
}  // namespace

XProbe::XProbe() : display_(XOpenDisplay(nullptr)) {
  if (!display_) throw std::runtime_error("the test cannot open the display");
  XSetErrorHandler(IgnoreErrors);
}

XProbe::~XProbe() { XCloseDisplay(display_); }

bool XProbe::Viewable(unsigned long window) {
  XWindowAttributes a;
  return window && XGetWindowAttributes(display_, window, &a) && a.map_state == IsViewable;
}

unsigned long XProbe::FindByTitle(const std::string& title) {
  // A window manager puts each top-level window into a frame of its own: the whole tree is searched.
  std::vector<::Window> pending{DefaultRootWindow(display_)};
  while (!pending.empty()) {
    const ::Window w = pending.back();
    pending.pop_back();
    ::Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display_, w, &root, &parent, &children, &count)) continue;
    for (unsigned i = 0; i < count; ++i) pending.push_back(children[i]);
    if (children) XFree(children);
    if (w != DefaultRootWindow(display_) && Title(w) == title) return w;
  }
  return 0;
}

bool XProbe::Size(unsigned long window, int& width, int& height) {
  XWindowAttributes a;
  if (!window || !XGetWindowAttributes(display_, window, &a)) return false;
  width = a.width;
  height = a.height;
  return true;
}

bool XProbe::Origin(unsigned long window, int& x, int& y) {
  ::Window child;
  return XTranslateCoordinates(display_, window, DefaultRootWindow(display_), 0, 0, &x, &y, &child);
}

std::string XProbe::Title(unsigned long window) {
  char* name = nullptr;
  std::string title;
  if (XFetchName(display_, window, &name) && name) title = name;
  if (name) XFree(name);
  return title;
}

bool XProbe::ShapeContains(unsigned long window, int x, int y) {
  int count = 0, ordering = 0;
  XRectangle* rects = XShapeGetRectangles(display_, window, ShapeBounding, &count, &ordering);
  bool inside = false;
  for (int i = 0; i < count; ++i) {
    const XRectangle& r = rects[i];
    if (x >= r.x && y >= r.y && x < r.x + r.width && y < r.y + r.height) inside = true;
  }
  if (rects) XFree(rects);
  return inside;
}

bool XProbe::WindowManagerRunning() {
  // A running manager keeps a check window that names itself.
  auto check_of = [&](::Window w) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    ::Window check = 0;
    if (XGetWindowProperty(display_, w, XInternAtom(display_, "_NET_SUPPORTING_WM_CHECK", False), 0, 1, False,
                           XA_WINDOW, &type, &format, &count, &after, &data) == Success &&
        type == XA_WINDOW && count == 1) {
      check = *reinterpret_cast<::Window*>(data);
    }
    if (data) XFree(data);
    return check;
  };
  const ::Window check = check_of(DefaultRootWindow(display_));
  return check && check_of(check) == check;
}

bool XProbe::NewWindowShows(int timeout_ms) {
  const ::Window window = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 10, 10, 0, 0, 0);
  XMapWindow(display_, window);
  XSync(display_, False);
  bool shown = Viewable(window);
  for (int waited = 0; !shown && waited < timeout_ms; waited += 10) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    shown = Viewable(window);
  }
  XDestroyWindow(display_, window);
  XSync(display_, False);
  return shown;
}

void XProbe::HoldMapRequests() {
  root_events_ |= SubstructureRedirectMask;
  XSelectInput(display_, DefaultRootWindow(display_), root_events_);
  XSync(display_, False);
}

void XProbe::Map(unsigned long window) {
  XMapWindow(display_, window);
  XSync(display_, False);
}

uint32_t XProbe::Pixel(unsigned long window, int x, int y) {
  XImage* image = XGetImage(display_, window, x, y, 1, 1, AllPlanes, ZPixmap);
  if (!image) return 0;
  const uint32_t pixel = static_cast<uint32_t>(XGetPixel(image, 0, 0)) & 0xFFFFFF;
  XDestroyImage(image);
  return pixel;
}

unsigned long XProbe::TopLevel(unsigned long window) {
  ::Window w = window;
  for (;;) {
    ::Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display_, w, &root, &parent, &children, &count)) return 0;
    if (children) XFree(children);
    if (parent == root || parent == 0) return w;
    w = parent;
  }
}

bool XProbe::StackedAbove(unsigned long upper, unsigned long lower) {
  const ::Window a = TopLevel(upper), b = TopLevel(lower);
  ::Window root = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  if (!a || !b || !XQueryTree(display_, DefaultRootWindow(display_), &root, &parent, &children, &count)) return false;
  // The root's children run from the bottom of the stack to its top.
  int at_a = -1, at_b = -1;
  for (unsigned i = 0; i < count; ++i) {
    if (children[i] == a) at_a = static_cast<int>(i);
    if (children[i] == b) at_b = static_cast<int>(i);
  }
  if (children) XFree(children);
  return at_a >= 0 && at_b >= 0 && at_a > at_b;
}

void XProbe::Raise(unsigned long window) {
  XRaiseWindow(display_, TopLevel(window));
  XSync(display_, False);
}

void XProbe::SendDeleteWindow(unsigned long window) {
  XEvent message{};
  message.xclient.type = ClientMessage;
  message.xclient.window = window;
  message.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
  message.xclient.format = 32;
  message.xclient.data.l[0] = static_cast<long>(XInternAtom(display_, "WM_DELETE_WINDOW", False));
  message.xclient.data.l[1] = CurrentTime;
  XSendEvent(display_, window, False, NoEventMask, &message);
  XSync(display_, False);
}

bool XProbe::AnswersPing(unsigned long window, int timeout_ms) {
  // The answer goes to the root window, where every client that selects it sees it.
  root_events_ |= SubstructureNotifyMask;
  XSelectInput(display_, DefaultRootWindow(display_), root_events_);
  const Atom protocols = XInternAtom(display_, "WM_PROTOCOLS", False);
  const Atom ping = XInternAtom(display_, "_NET_WM_PING", False);
  const long time = static_cast<long>(++ping_time_);
  XEvent message{};
  message.xclient.type = ClientMessage;
  message.xclient.window = window;
  message.xclient.message_type = protocols;
  message.xclient.format = 32;
  message.xclient.data.l[0] = static_cast<long>(ping);
  message.xclient.data.l[1] = time;
  message.xclient.data.l[2] = static_cast<long>(window);
  XSendEvent(display_, window, False, NoEventMask, &message);
  XFlush(display_);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    while (XPending(display_)) {
      XEvent event;
      XNextEvent(display_, &event);
      if (event.type == ClientMessage && event.xclient.message_type == protocols &&
          static_cast<Atom>(event.xclient.data.l[0]) == ping && event.xclient.data.l[1] == time) {
        return true;
      }
    }
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

unsigned long XProbe::Cover(int x, int y, int width, int height, uint32_t colour) {
  XSetWindowAttributes attributes;
  attributes.override_redirect = True;
  attributes.background_pixel = colour;
  const ::Window w = XCreateWindow(display_, DefaultRootWindow(display_), x, y, static_cast<unsigned>(width),
                                   static_cast<unsigned>(height), 0, CopyFromParent, InputOutput, CopyFromParent,
                                   CWOverrideRedirect | CWBackPixel, &attributes);
  XMapRaised(display_, w);
  XSync(display_, False);
  return w;
}

void XProbe::Destroy(unsigned long window) {
  XDestroyWindow(display_, window);
  XSync(display_, False);
}

unsigned long XProbe::FocusedWindow() {
  ::Window focus = None;
  int revert = 0;
  XGetInputFocus(display_, &focus, &revert);
  return focus;
}

void XProbe::DropFocus() {
  XSetInputFocus(display_, None, RevertToNone, CurrentTime);
  XSync(display_, False);
}

void XProbe::MovePointer(int x, int y) {
  XTestFakeMotionEvent(display_, DefaultScreen(display_), x, y, 0);
  XSync(display_, False);
}

void XProbe::Button(int button, bool down) {
  XTestFakeButtonEvent(display_, static_cast<unsigned>(button), down ? True : False, 0);
  XSync(display_, False);
}

void XProbe::Key(const std::string& keysym, bool control) {
  const KeyCode code = XKeysymToKeycode(display_, XStringToKeysym(keysym.c_str()));
  const KeyCode ctrl = XKeysymToKeycode(display_, XK_Control_L);
  if (control) XTestFakeKeyEvent(display_, ctrl, True, 0);
  XTestFakeKeyEvent(display_, code, True, 0);
  XTestFakeKeyEvent(display_, code, False, 0);
  if (control) XTestFakeKeyEvent(display_, ctrl, False, 0);
  XSync(display_, False);
}

std::vector<uint32_t> XProbe::CursorImage() {
  XFixesCursorImage* image = XFixesGetCursorImage(display_);
  std::vector<uint32_t> pixels;
  if (!image) return pixels;
  pixels.push_back(image->width);
  pixels.push_back(image->height);
  for (int i = 0; i < image->width * image->height; ++i) pixels.push_back(static_cast<uint32_t>(image->pixels[i]));
  XFree(image);
  return pixels;
}

std::vector<uint32_t> XProbe::HandCursorImage() {
  // A window of the test's own that shows the hand cursor, with the pointer over it.
  XSetWindowAttributes attributes;
  attributes.override_redirect = True;
  const ::Window w = XCreateWindow(display_, DefaultRootWindow(display_), 0, 0, 40, 40, 0, CopyFromParent, InputOutput,
                                   CopyFromParent, CWOverrideRedirect, &attributes);
  const Cursor hand = XCreateFontCursor(display_, XC_hand2);
  XDefineCursor(display_, w, hand);
  XMapRaised(display_, w);
  XSync(display_, False);
  MovePointer(20, 20);
  std::vector<uint32_t> pixels = CursorImage();
  XDestroyWindow(display_, w);
  XFreeCursor(display_, hand);
  XSync(display_, False);
  return pixels;
}
