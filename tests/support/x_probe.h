#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What the X server knows about the program's windows, and input injected through it (XTest),
// seen from a connection of the test's own. Kept apart from the toolkit's headers, whose names
// clash with Xlib's.
class XProbe {
 public:
  XProbe();
  ~XProbe();
  XProbe(const XProbe&) = delete;
  XProbe& operator=(const XProbe&) = delete;

  bool Viewable(unsigned long window);
  // A window of that title, framed by a window manager or not; 0 when there is none.
  unsigned long FindByTitle(const std::string& title);
  bool Size(unsigned long window, int& width, int& height);
  // The window's top-left corner on the screen.
  bool Origin(unsigned long window, int& x, int& y);
  std::string Title(unsigned long window);
  // Whether the point (window coordinates) is inside the window's bounding shape.
  bool ShapeContains(unsigned long window, int x, int y);

  // Whether an EWMH window manager runs on the display.
  bool WindowManagerRunning();
  // Whether a window mapped now is put on the screen within `timeout_ms`: a manager that has
  // announced itself may still be starting, and one starting can lose a map request for good.
  bool NewWindowShows(int timeout_ms);
  // Takes the window manager's part (there must be none) and keeps every map request unanswered,
  // as a manager that is starting can; Map() then maps a window as the manager would.
  void HoldMapRequests();
  void Map(unsigned long window);
  // The colour (0xRRGGBB) shown at a point of a viewable window.
  uint32_t Pixel(unsigned long window, int x, int y);

  // Whether the top-level window holding `upper` (its frame, where a window manager frames it) is
  // stacked above the one holding `lower`.
  bool StackedAbove(unsigned long upper, unsigned long lower);
  // Asks for the window's top-level window to be raised, as another client may (a window manager
  // decides where it manages the windows).
  void Raise(unsigned long window);
  // Sends the window the window manager's close (WM_DELETE_WINDOW), which a title bar's close
  // button, Alt+F4, a task bar or a pager sends.
  void SendDeleteWindow(unsigned long window);
  // Sends the window the window manager's ping (_NET_WM_PING) and waits for its answer; false
  // when none came within `timeout_ms`.
  bool AnswersPing(unsigned long window, int timeout_ms);
  // Puts a window of the test's own (one colour, 0xRRGGBB) on the screen at x, y, above every
  // other, unmanaged; Destroy() takes it away, which exposes what it covered.
  unsigned long Cover(int x, int y, int width, int height, uint32_t colour);
  void Destroy(unsigned long window);

  // The window that has the keyboard focus (0 for none, 1 for the pointer's window).
  unsigned long FocusedWindow();
  // Takes the keyboard focus from every window, as a client that grabbed it and went would.
  void DropFocus();

  void MovePointer(int x, int y);
  void Button(int button, bool down);
  // A key by its keysym name ("a", "Return", "BackSpace", "Tab"), with Control held or not.
  void Key(const std::string& keysym, bool control = false);

  // The pixels of the pointer's current cursor, and of the desktop's hand cursor.
  std::vector<uint32_t> CursorImage();
  std::vector<uint32_t> HandCursorImage();

 private:
  // The child of the root window that holds `window`.
  unsigned long TopLevel(unsigned long window);

  struct _XDisplay* display_;
  unsigned long ping_time_ = 1;
  long root_events_ = 0;  // what the probe selects on the root window
};
