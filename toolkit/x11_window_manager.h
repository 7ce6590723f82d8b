#pragma once

#include <vector>

struct SDL_Window;

// The few X11 requests the presenter makes itself, beyond what SDL offers. Kept apart because
// Xlib's names clash with the toolkit's.

// The X11 window of an SDL window, 0 when it has none.
unsigned long X11WindowOf(SDL_Window* window);

// The file descriptor of the connection to the window's X display, -1 when it has none.
int X11ConnectionOf(SDL_Window* window);

// Gives the window the shape (what is seen of it and takes the pointer) made of the rectangles,
// in window coordinates, sorted by top and then left, bands of equal top and height not
// overlapping. False where the display has no shape extension: the window stays rectangular.
struct ShapeRectangle {
  int left, top, width, height;
};
bool SetWindowShape(SDL_Window* window, const std::vector<ShapeRectangle>& rectangles);

// Shows the window, waiting at most `timeout_ms` for the X server to map it. A window manager
// decides when a window is mapped, and one that is starting can lose the request for good; SDL
// alone would wait for the map without end. False when the wait ran out: the window is then
// still asked for, and SDL counts it shown once it is mapped.
bool ShowWindowWithin(SDL_Window* window, int timeout_ms);

// Whether a window manager runs on the window's display and announces the EWMH feature
// (such as "_NET_WM_MOVERESIZE").
bool WindowManagerHas(SDL_Window* window, const char* feature);

// Hands the window to the window manager's move loop, as a press of `button` (1 to 3, 0 for
// none) at the screen position x, y started it. The manager takes the pointer, so the press's
// release never reaches the program; SDL is given one so that its button state stays right.
void StartWindowManagerMove(SDL_Window* window, int x, int y, int button);

// The X window that has the keyboard focus on the window's display: 0 for none, 1 for whichever
// window the pointer is in.
unsigned long InputFocusOn(SDL_Window* window);

// Gives the window, when it is viewable, the keyboard focus directly, as a window manager would.
// Should the window go, the focus reverts to the pointer's window, never to nothing.
void SetInputFocus(SDL_Window* window);

// Waits until the X server has carried out every request sent so far, so that the events it
// generated before are all read.
void SyncDisplay(SDL_Window* window);
