#include "toolkit/presenter.h"

#include <SDL2/SDL.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <exception>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/unicode.h"
#include "toolkit/clipboard.h"
#include "toolkit/painter.h"
#include "toolkit/x11_window_manager.h"

namespace {

// One presenter at a time owns SDL's video.
TScreenPresenter* g_presenter = nullptr;

// How long a new window may take to be mapped before the program goes on without it: far beyond
// what a window manager takes, short enough that the program does not seem hung.
constexpr int kMapWaitMs = 1000;

std::string SdlError(const std::string& what) { return what + ": " + SDL_GetError(); }

TMouseButton ButtonOf(uint8_t sdl_button) {
  if (sdl_button == SDL_BUTTON_RIGHT) return TMouseButton::mbRight;
  if (sdl_button == SDL_BUTTON_MIDDLE) return TMouseButton::mbMiddle;
  return TMouseButton::mbLeft;
}

TShiftState ButtonState(TMouseButton b) {
  if (b == TMouseButton::mbRight) return ssRight;
  if (b == TMouseButton::mbMiddle) return ssMiddle;
  return ssLeft;
}

int XButtonNumber(TMouseButton b) {
  if (b == TMouseButton::mbRight) return 3;
  if (b == TMouseButton::mbMiddle) return 2;
  return 1;
}

TShiftState Modifiers(uint16_t mod) {
  TShiftState s = 0;
  if (mod & KMOD_SHIFT) s |= ssShift;
  if (mod & KMOD_CTRL) s |= ssCtrl;
  if (mod & KMOD_ALT) s |= ssAlt;
  return s;
}

// The framework's virtual key of an SDL key, 0 for keys the program does not use.
uint16_t VirtualKey(SDL_Keycode key) {
  switch (key) {
    case SDLK_TAB:
      return VK_TAB;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
      return VK_RETURN;
    case SDLK_BACKSPACE:
      return VK_BACK;
    case SDLK_ESCAPE:
      return VK_ESCAPE;
    case SDLK_SPACE:
      return VK_SPACE;
    case SDLK_INSERT:
      return VK_INSERT;
    case SDLK_END:
      return VK_END;
    case SDLK_HOME:
      return VK_HOME;
    case SDLK_LEFT:
      return VK_LEFT;
    case SDLK_UP:
      return VK_UP;
    case SDLK_RIGHT:
      return VK_RIGHT;
    case SDLK_DOWN:
      return VK_DOWN;
    case SDLK_DELETE:
      return VK_DELETE;
    default:
      break;
  }
  if (key >= SDLK_a && key <= SDLK_z) return static_cast<uint16_t>('A' + (key - SDLK_a));
  if (key >= SDLK_0 && key <= SDLK_9) return static_cast<uint16_t>('0' + (key - SDLK_0));
  return 0;
}

}  // namespace

// The on-screen window of one shown form.
class TScreenPresenter::Window : public TFormWindow {
 public:
  Window(TScreenPresenter& owner, TForm& form) : owner_(owner), form_(form) {
    const int w = std::max(1, form.Width()), h = std::max(1, form.Height());
    const Uint32 flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_BORDERLESS;
    sdl_ = SDL_CreateWindow(form.Caption().c_str(), form.Left(), form.Top(), w, h, flags);
    if (!sdl_) throw EDisplayError(SdlError("cannot open a window for " + form.Name()));
    id_ = SDL_GetWindowID(sdl_);
    form.SetWindow(this);
  }
  ~Window() override {
    if (owner_.Alive(&form_) && form_.Window() == this) form_.SetWindow(nullptr);
    SDL_DestroyWindow(sdl_);
  }

  // Places, shapes and maps the window, then draws it: drawing into a window that is not mapped
  // yet is lost. Called once the presenter holds the window, since the drawing may raise.
  void Show() {
    Apply(true, false);
    // Should the window manager hold the window back, the program goes on; what is drawn
    // meanwhile is lost, and goes up again when the mapped window is exposed.
    ShowWindowWithin(sdl_, kMapWaitMs);
    Apply();
  }

  uint32_t Id() const { return id_; }
  SDL_Window* Sdl() const { return sdl_; }
  TForm& Form() const { return form_; }
  // The window's pixels were lost (exposed): the picture already drawn goes up again.
  void Invalidate() { exposed_ = true; }
  // The same at once, while the main thread is busy elsewhere: what is drawn now would run the
  // grids' drawing handlers.
  void ShowLastPicture() { Present(); }

  // Follows the form: size, region, place, caption and, when it changed, its pixels.
  void Apply(bool first = false, bool paint = true) {
    const int w = std::max(1, form_.Width()), h = std::max(1, form_.Height());
    if (first || w != width_ || h != height_) {
      SDL_SetWindowSize(sdl_, w, h);
      width_ = w;
      height_ = h;
      region_applied_ = false;
      repaint_ = true;
    }
    if (!region_applied_ || form_.WindowRegion().has_value() != region_.has_value() ||
        (region_ && !SameRegion(*region_, *form_.WindowRegion()))) {
      Shape();
    }
    if (first || form_.Left() != left_ || form_.Top() != top_) {
      SDL_SetWindowPosition(sdl_, form_.Left(), form_.Top());
      left_ = form_.Left();
      top_ = form_.Top();
    }
    if (first || form_.Caption() != title_) {
      title_ = form_.Caption();
      SDL_SetWindowTitle(sdl_, title_.c_str());
    }
    if (!paint) return;
    if (repaint_ || form_.Dirty()) {
      Paint();
    } else if (exposed_) {
      Present();
    }
  }

  // The window manager or the pointer moved the window: the form follows without a repaint.
  void Moved(int x, int y) {
    left_ = x;
    top_ = y;
    if (form_.Left() == x && form_.Top() == y) return;
    const bool dirty = form_.Dirty();
    form_.SetBounds(x, y, form_.Width(), form_.Height());
    if (!dirty) form_.ClearDirty();
  }
  void MoveTo(int x, int y) {
    SDL_SetWindowPosition(sdl_, x, y);
    Moved(x, y);
  }

  void StartMoveByCaption() override { owner_.MoveByCaption(*this); }
  void BringToFront() override {
    SDL_RaiseWindow(sdl_);
    owner_.FocusActiveWindow();
  }

 private:
  static bool SameRegion(const TWindowRegion& a, const TWindowRegion& b) {
    return a.Left == b.Left && a.Top == b.Top && a.Right == b.Right && a.Bottom == b.Bottom &&
           a.EllipseWidth == b.EllipseWidth && a.EllipseHeight == b.EllipseHeight;
  }

  // The window region as X11 rectangles, rows of equal runs joined. A display without the
  // shape extension still shows the form, rectangular.
  void Shape() {
    region_ = form_.WindowRegion();
    region_applied_ = true;
    std::vector<ShapeRectangle> bands;
    for (int y = 0; y < height_; ++y) {
      // A rounded rectangle holds one run of each row: only its ends are looked for.
      int first = 0, end = width_;
      if (region_) {
        while (first < end && !region_->Contains(first, y)) ++first;
        while (end > first && !region_->Contains(end - 1, y)) --end;
      }
      if (first == end) continue;
      if (!bands.empty() && bands.back().left == first && bands.back().width == end - first &&
          bands.back().top + bands.back().height == y) {
        ++bands.back().height;
      } else {
        bands.push_back({first, y, end - first, 1});
      }
    }
    SetWindowShape(sdl_, bands);
  }

  // A picture that failed is reported once and left out: the window shows the rest either way.
  void Paint() {
    repaint_ = false;
    form_.ClearDirty();
    std::exception_ptr failure;
    try {
      RenderForm(form_, pixels_);
    } catch (...) {
      failure = std::current_exception();
    }
    Present();
    if (failure) std::rethrow_exception(failure);
  }

  void Present() {
    exposed_ = false;
    SDL_Surface* target = SDL_GetWindowSurface(sdl_);
    if (!target || pixels_.width <= 0 || pixels_.height <= 0) return;
    SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(pixels_.pixels.data(), pixels_.width, pixels_.height, 32,
                                                             pixels_.width * 4, SDL_PIXELFORMAT_ARGB8888);
    if (!source) return;
    SDL_SetSurfaceBlendMode(source, SDL_BLENDMODE_NONE);
    SDL_BlitSurface(source, nullptr, target, nullptr);
    SDL_FreeSurface(source);
    SDL_UpdateWindowSurface(sdl_);
  }

  TScreenPresenter& owner_;
  TForm& form_;
  SDL_Window* sdl_ = nullptr;
  uint32_t id_ = 0;
  int width_ = 0, height_ = 0, left_ = 0, top_ = 0;
  std::string title_;
  std::optional<TWindowRegion> region_;
  bool region_applied_ = false;
  bool repaint_ = true;
  bool exposed_ = false;
  TBitmapData pixels_;
};

TScreenPresenter::TScreenPresenter(TApplication& app) : app_(app), publisher_(app) {
  if (g_presenter) throw EDisplayError("the screen already has a presenter");
  if (platform::CurrentClock().IsVirtual()) throw EDisplayError("the screen presenter needs the real clock");
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  // X11 gives the pressed window the pointer until the button is let go. SDL's own grab on top of
  // it is let go only when SDL reads the release: read while a handler is busy, it took the next
  // click in another window for the pressed one's.
  SDL_SetHint(SDL_HINT_MOUSE_AUTO_CAPTURE, "0");
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
  // Windows draw through X11's own framebuffer: an accelerated one would make SDL create the
  // window anew, without its shape.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) throw EDisplayError(SdlError("no display"));
  // Other threads wake the main thread through an eventfd, never through SDL: SDL's own
  // wake-up (SDL_PushEvent from another thread) sends an X event to the window it last waited
  // on, and a window destroyed since (a closed dialog, a main window hidden on minimising) kills
  // the program with Xlib's BadWindow.
  wake_window_ = SDL_CreateWindow("", 0, 0, 1, 1, SDL_WINDOW_HIDDEN | SDL_WINDOW_BORDERLESS);
  display_fd_ = wake_window_ ? X11ConnectionOf(wake_window_) : -1;
  wake_fd_ = display_fd_ >= 0 ? ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK) : -1;
  if (wake_fd_ < 0) {
    const std::string error = SdlError("the display does not serve the program");
    if (wake_window_) SDL_DestroyWindow(wake_window_);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    throw EDisplayError(error);
  }
  arrow_ = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_ARROW);
  hand_ = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_HAND);
  SDL_Rect bounds;
  if (SDL_GetDisplayBounds(0, &bounds) == 0) Screen->SetSize(bounds.w, bounds.h);
  SDL_StartTextInput();
  g_presenter = this;
  SetClipboardProvider({[] {
                          if (!SDL_HasClipboardText()) return std::string();
                          char* text = SDL_GetClipboardText();
                          std::string result = text ? text : "";
                          SDL_free(text);
                          return result;
                        },
                        [](const std::string& text) { SDL_SetClipboardText(text.c_str()); }});
  app_.SetExceptionDisplay([this](const std::string& message) {
    const std::string title = app_.Title().empty() ? std::string("Error") : app_.Title();
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, title.c_str(), message.c_str(), nullptr);
  });
  app_.SetEventSource(this);
  platform::InstallWaitKeeper(this);
  platform::StartWindowServer();
}

TScreenPresenter::~TScreenPresenter() {
  // Nothing keeps the windows alive from here on: stopping the window server waits.
  platform::InstallWaitKeeper(nullptr);
  platform::StopWindowServer();
  app_.SetEventSource(nullptr);
  app_.SetExceptionDisplay(nullptr);
  SetClipboardProvider({});
  windows_.clear();
  SDL_FreeCursor(arrow_);
  SDL_FreeCursor(hand_);
  SDL_DestroyWindow(wake_window_);
  ::close(wake_fd_);
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
  g_presenter = nullptr;
}

bool TScreenPresenter::Alive(const TForm* form) const {
  const auto& forms = Screen->Forms();
  return std::find(forms.begin(), forms.end(), form) != forms.end();
}

void TScreenPresenter::Update() {
  struct Updating {
    bool& flag;
    explicit Updating(bool& f) : flag(f) { flag = true; }
    ~Updating() { flag = false; }
  } updating(updating_);
  publisher_.Sync();
  // Forms that went away, or are hidden, lose their window. The keyboard moves to the active
  // window first: once a focused window is gone, keys typed before a window manager (or nobody)
  // gives the focus elsewhere would be lost.
  std::vector<TForm*> leaving;
  for (const auto& [form, window] : windows_) {
    const bool keep =
        Alive(form) && form->Visible() && (!app_.Minimized() || (form == app_.MainForm() && WindowManagerMoves()));
    if (!keep) leaving.push_back(form);
  }
  if (!leaving.empty()) {
    FocusActiveWindow();
    // What was typed into the leaving windows until the focus moved is read while SDL still
    // knows them; it drops the input of windows it no longer has.
    SyncDisplay(wake_window_);
    SDL_PumpEvents();
  }
  for (TForm* form : leaving) {
    if (move_ && move_->window == windows_[form].get()) move_.reset();
    windows_.erase(form);
  }
  // A window whose drawing failed stays, shown with what could be drawn; the first failure is
  // raised once every window, the focus and the cursor are up to date.
  std::exception_ptr failure;
  auto guarded = [&failure](const auto& step) {
    try {
      step();
    } catch (...) {
      if (!failure) failure = std::current_exception();
    }
  };
  bool shown = false;
  for (TForm* form : Screen->Forms()) {
    if (!form->Visible()) continue;
    auto it = windows_.find(form);
    if (app_.Minimized()) {
      // The main window goes to the task bar where a window manager keeps one; the rest hide.
      if (it != windows_.end() && !(SDL_GetWindowFlags(it->second->Sdl()) & SDL_WINDOW_MINIMIZED)) {
        SDL_MinimizeWindow(it->second->Sdl());
      }
      continue;
    }
    if (it == windows_.end()) {
      it = windows_.emplace(form, std::make_unique<Window>(*this, *form)).first;
      if (form->Modal() && app_.MainForm() && windows_.count(app_.MainForm())) {
        SDL_SetWindowModalFor(it->second->Sdl(), windows_[app_.MainForm()]->Sdl());
      }
      Window& window = *it->second;
      guarded([&window] { window.Show(); });
      it->second->BringToFront();
      shown = true;
    } else {
      if (SDL_GetWindowFlags(it->second->Sdl()) & SDL_WINDOW_MINIMIZED) SDL_RestoreWindow(it->second->Sdl());
      Window& window = *it->second;
      guarded([&window] { window.Apply(); });
    }
  }
  if (shown || !leaving.empty()) FocusActiveWindow();
  ApplyCursor();
  if (failure) std::rethrow_exception(failure);
}

void TScreenPresenter::FocusActiveWindow() {
  const auto active = windows_.find(app_.ActiveForm());
  if (active == windows_.end()) return;
  const unsigned long focus = InputFocusOn(active->second->Sdl());
  if (focus == X11WindowOf(active->second->Sdl())) return;
  // The keyboard is the program's to move while one of its windows has it, or nobody does
  // (without a window manager, once a focused window went, nobody does). From another program's
  // window only the window manager may take it.
  bool ours = focus == 0 || focus == 1;
  for (const auto& [form, window] : windows_) ours = ours || focus == X11WindowOf(window->Sdl());
  if (ours || !WindowManagerHas(wake_window_, "_NET_ACTIVE_WINDOW")) {
    SetInputFocus(active->second->Sdl());
  } else {
    active->second->BringToFront();
  }
}

void TScreenPresenter::ApplyCursor() {
  const TCursor wanted = Screen->Cursor() == crHandPoint ? crHandPoint : crDefault;
  if (wanted == cursor_shown_) return;
  cursor_shown_ = wanted;
  SDL_SetCursor(wanted == crHandPoint ? hand_ : arrow_);
}

TScreenPresenter::Window* TScreenPresenter::WindowOfId(uint32_t id) const {
  for (const auto& [form, window] : windows_) {
    if (window->Id() == id && Alive(form)) return window.get();
  }
  return nullptr;
}

TForm* TScreenPresenter::KeyboardTarget(Window* window, bool key_down) {
  // Keys typed into a window under a modal one belong to the modal window, which has the keyboard
  // on the platform (type-ahead reaches the dialog that opened meanwhile); it comes to the front.
  // Keys typed ahead into a dialog that has closed since go to the window that is active now.
  if (!app_.ModalForms().empty()) {
    TForm* modal = app_.ModalForms().back();
    if (key_down && window && &window->Form() != modal) window->Form().RaiseModalAbove();
    return modal;
  }
  return window ? &window->Form() : app_.ActiveForm();
}

bool TScreenPresenter::DispatchPending() {
  SDL_Event event;
  bool any = false;
  // The input after an event whose handler ended a modal display (or the program) is for the
  // windows as they are once the loop has let go of it, as the framework's loop takes one message
  // at a time: a click queued during a dialog's wait reaches the window below once the dialog is
  // gone, instead of meeting it still disabled.
  while (!ModalDisplayEnding() && SDL_PollEvent(&event)) {
    any = true;
    Handle(event);
  }
  Update();
  return any;
}

bool TScreenPresenter::ModalDisplayEnding() const {
  return app_.Terminated() || (!app_.ModalForms().empty() && app_.ModalForms().back()->ModalResult() != mrNone);
}

void TScreenPresenter::WaitIdle(std::optional<uint64_t> deadline_ms) {
  Update();
  // Reads what the X server sent (and sends what the painting asked for); the wait below then
  // starts with nothing unread in Xlib's or SDL's queue.
  SDL_PumpEvents();
  if (SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT)) return;
  int timeout_ms = -1;
  if (deadline_ms) {
    const uint64_t now = platform::CurrentClock().NowMs();
    if (*deadline_ms <= now) return;
    timeout_ms = static_cast<int>(std::min<uint64_t>(*deadline_ms - now, INT_MAX));
  }
  pollfd waits[2] = {{display_fd_, POLLIN, 0}, {wake_fd_, POLLIN, 0}};
  // A signal ends the wait early; the message loop comes back.
  if (::poll(waits, 2, timeout_ms) > 0 && (waits[1].revents & POLLIN)) {
    uint64_t count = 0;
    [[maybe_unused]] const ssize_t n = ::read(wake_fd_, &count, sizeof count);
  }
}

namespace {
int TakeExposure(void* exposed, SDL_Event* event) {
  if (event->type != SDL_WINDOWEVENT || event->window.event != SDL_WINDOWEVENT_EXPOSED) return 1;
  static_cast<std::vector<uint32_t>*>(exposed)->push_back(event->window.windowID);
  return 0;
}
}  // namespace

void TScreenPresenter::KeepAlive() {
  if (updating_) return;
  // SDL answers the window manager's ping while it reads what the X server sent; the input it
  // reads stays in its queue, in order, for the message loop after the wait.
  SDL_PumpEvents();
  std::vector<uint32_t> exposed;
  SDL_FilterEvents(TakeExposure, &exposed);
  for (const uint32_t id : exposed) {
    if (Window* window = WindowOfId(id)) window->ShowLastPicture();
  }
}

void TScreenPresenter::Wake() {
  const uint64_t one = 1;
  [[maybe_unused]] const ssize_t n = ::write(wake_fd_, &one, sizeof one);
}

void TScreenPresenter::Handle(const SDL_Event& event) {
  switch (event.type) {
    case SDL_MOUSEMOTION: {
      Window* window = WindowOfId(event.motion.windowID);
      if (move_) {
        int x = 0, y = 0;
        SDL_GetGlobalMouseState(&x, &y);
        move_->window->MoveTo(move_->window_x + x - move_->start_x, move_->window_y + y - move_->start_y);
        return;
      }
      if (window) window->Form().MouseMoveAt(event.motion.x, event.motion.y, buttons_);
      return;
    }
    case SDL_MOUSEBUTTONDOWN: {
      Window* window = WindowOfId(event.button.windowID);
      if (!window) return;
      // A click in any of the program's windows gives the keyboard back to the active one.
      FocusActiveWindow();
      const TMouseButton button = ButtonOf(event.button.button);
      buttons_ |= ButtonState(button);
      int x = 0, y = 0;
      SDL_GetWindowPosition(window->Sdl(), &x, &y);
      press_ = Press{button, x + event.button.x, y + event.button.y};
      window->Form().MouseDownAt(button, event.button.x, event.button.y, Modifiers(SDL_GetModState()) | buttons_);
      return;
    }
    case SDL_MOUSEWHEEL: {
      Window* window = WindowOfId(event.wheel.windowID);
      if (!window) return;
      int x = 0, y = 0, left = 0, top = 0;
      SDL_GetGlobalMouseState(&x, &y);
      SDL_GetWindowPosition(window->Sdl(), &left, &top);
      const int notches = event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y;
      window->Form().MouseWheelAt(x - left, y - top, notches);
      return;
    }
    case SDL_MOUSEBUTTONUP: {
      const TMouseButton button = ButtonOf(event.button.button);
      const bool was_down = buttons_ & ButtonState(button);
      buttons_ &= ~ButtonState(button);
      press_.reset();
      if (move_) return EndMove();
      Window* window = WindowOfId(event.button.windowID);
      if (!window || !was_down) return;
      TForm& form = window->Form();
      form.MouseUpAt(button, event.button.x, event.button.y, Modifiers(SDL_GetModState()) | buttons_);
      // The pointer was let go outside the window.
      if (!buttons_ && (event.button.x < 0 || event.button.y < 0 || event.button.x >= form.Width() ||
                        event.button.y >= form.Height())) {
        form.MouseLeaveForm();
      }
      return;
    }
    case SDL_TEXTINPUT: {
      TForm* form = KeyboardTarget(WindowOfId(event.text.windowID), false);
      std::string text = event.text.text;
      if (space_handled_ && text == " ") text.clear();
      space_handled_ = false;
      if (!form) return;
      for (char16_t unit : platform::Utf8ToUtf16(text)) form->KeyChar(unit);
      return;
    }
    case SDL_KEYDOWN:
      return HandleKey(event.key);
    case SDL_WINDOWEVENT: {
      Window* window = WindowOfId(event.window.windowID);
      if (!window) return;
      switch (event.window.event) {
        case SDL_WINDOWEVENT_LEAVE:
          // While a button is held the pressed window keeps the pointer.
          if (!buttons_ && !move_) window->Form().MouseLeaveForm();
          return;
        case SDL_WINDOWEVENT_MOVED:
          window->Moved(event.window.data1, event.window.data2);
          return;
        case SDL_WINDOWEVENT_EXPOSED:
          window->Invalidate();
          return;
        case SDL_WINDOWEVENT_RESTORED:
          // The user brought the program back from the task bar.
          if (app_.Minimized()) app_.Restore();
          return;
        case SDL_WINDOWEVENT_CLOSE:
          window->Form().CloseFromDesktop();
          return;
        default:
          return;
      }
    }
    default:
      return;
  }
}

void TScreenPresenter::HandleKey(const SDL_KeyboardEvent& key) {
  TForm* form = KeyboardTarget(WindowOfId(key.windowID), true);
  const uint16_t vk = VirtualKey(key.keysym.sym);
  if (!form || vk == 0) return;
  const TShiftState shift = Modifiers(key.keysym.mod);
  space_handled_ = false;
  if (form->KeyDown(vk, shift)) {
    // The space that a button or check box took as a key types nothing.
    space_handled_ = vk == VK_SPACE;
    return;
  }
  switch (vk) {
    case VK_RETURN:
    case VK_BACK:
    case VK_ESCAPE:
      form->KeyChar(static_cast<char16_t>(vk));
      return;
    default:
      break;
  }
  // Ctrl with a letter types its control character (Ctrl+V is 22), as the platform does.
  if ((shift & ssCtrl) && !(shift & ssAlt) && vk >= 'A' && vk <= 'Z') {
    form->KeyChar(static_cast<char16_t>(vk - 'A' + 1));
  }
}

void TScreenPresenter::MoveByCaption(Window& window) {
  int pointer_x = 0, pointer_y = 0;
  SDL_GetGlobalMouseState(&pointer_x, &pointer_y);
  if (press_) {
    pointer_x = press_->global_x;
    pointer_y = press_->global_y;
  }
  if (WindowManagerHas(window.Sdl(), "_NET_WM_MOVERESIZE")) {
    StartWindowManagerMove(window.Sdl(), pointer_x, pointer_y, press_ ? XButtonNumber(press_->button) : 0);
    return;
  }
  // No window manager: the window follows the pointer until the button is let go.
  if (!press_) return;
  int x = 0, y = 0;
  SDL_GetWindowPosition(window.Sdl(), &x, &y);
  move_ = Move{&window, pointer_x, pointer_y, x, y};
}

void TScreenPresenter::EndMove() { move_.reset(); }

unsigned long TScreenPresenter::NativeWindow(const TForm* form) const {
  auto it = windows_.find(const_cast<TForm*>(form));
  return it == windows_.end() ? 0 : X11WindowOf(it->second->Sdl());
}

bool TScreenPresenter::WindowManagerMoves() const { return WindowManagerHas(wake_window_, "_NET_WM_MOVERESIZE"); }
