#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>

#include "platform/wait_keeper.h"
#include "toolkit/application.h"
#include "toolkit/form.h"
#include "toolkit/window_publisher.h"

struct SDL_Window;
struct SDL_Cursor;
struct SDL_KeyboardEvent;
union SDL_Event;

class EDisplayError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Shows the program's forms on the X11 desktop through SDL2, the only code that talks to SDL
// and X11. Every shown form is a borderless window of its size at its place, shaped by its
// window region and titled with its caption; hidden forms have no window. OS input reaches the
// forms through the same entry points as the test driver; the message loop waits here, woken
// by input, by posted work and by timers. Only forms whose dirty flag is set are drawn again.
// It also connects the desktop's clipboard and cursor, shows escaped exceptions in an error
// box, and publishes the windows for a second instance. While the main thread is blocked in a
// wait it keeps the windows alive (the window manager's ping, exposed windows), leaving the input
// queued. Needs the real clock; one at a time, created and destroyed on the main thread, living
// longer than every thread that posts.
class TScreenPresenter : public TEventSource, public platform::WaitKeeper {
 public:
  // Opens the display named by $DISPLAY; EDisplayError when there is none.
  explicit TScreenPresenter(TApplication& app);
  ~TScreenPresenter() override;
  TScreenPresenter(const TScreenPresenter&) = delete;
  TScreenPresenter& operator=(const TScreenPresenter&) = delete;

  bool DispatchPending() override;
  void WaitIdle(std::optional<uint64_t> deadline_ms) override;
  void Wake() override;
  void KeepAlive() override;

  // Brings the windows up to date with the model now (the loop does it on every turn).
  void Update();
  // The X11 window of a form, 0 while it has none.
  unsigned long NativeWindow(const TForm* form) const;
  // Whether a window manager runs that moves windows for us.
  bool WindowManagerMoves() const;
  const TWindowPublisher& Publisher() const { return publisher_; }

 private:
  class Window;
  friend class Window;
  struct Press {
    TMouseButton button = TMouseButton::mbLeft;
    int global_x = 0, global_y = 0;
  };

  void Handle(const SDL_Event& event);
  void HandleKey(const SDL_KeyboardEvent& key);
  Window* WindowOfId(uint32_t id) const;
  // The form that takes a key typed into `window`; `key_down` brings a modal form above that
  // window to the front.
  TForm* KeyboardTarget(Window* window, bool key_down);
  void MoveByCaption(Window& window);
  void EndMove();
  void ApplyCursor();
  // Gives the keyboard focus to the window of the application's active form, unless it has it.
  void FocusActiveWindow();
  bool Alive(const TForm* form) const;
  // A handler asked the innermost modal loop (or the program) to end.
  bool ModalDisplayEnding() const;

  TApplication& app_;
  TWindowPublisher publisher_;
  std::map<TForm*, std::unique_ptr<Window>> windows_;
  // Never shown: the display's connection and its window manager are reached through it.
  SDL_Window* wake_window_ = nullptr;
  int display_fd_ = -1;  // the X connection, which the main thread waits on
  int wake_fd_ = -1;     // an eventfd that Wake() counts up, from any thread
  SDL_Cursor* arrow_ = nullptr;
  SDL_Cursor* hand_ = nullptr;
  TCursor cursor_shown_ = crDefault;
  TShiftState buttons_ = 0;
  std::optional<Press> press_;
  // Moving a window with the pointer where no window manager does it.
  struct Move {
    Window* window;
    int start_x, start_y;  // pointer, on the screen
    int window_x, window_y;
  };
  std::optional<Move> move_;
  bool space_handled_ = false;
  // Bringing the windows up to date: a wait in there (a font that the painting waits for) leaves
  // them as they are.
  bool updating_ = false;
};
