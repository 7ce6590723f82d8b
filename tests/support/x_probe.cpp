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
  XSelectInput(display_, DefaultRootWindow(display_), SubstructureRedirectMask);
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
