#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "toolkit/control.h"
#include "toolkit/types.h"

// How a form appears on the screen. The on-screen presenter implements it; headless forms
// have none.
class TFormWindow {
 public:
  virtual ~TFormWindow() = default;
  virtual void StartMoveByCaption() = 0;
  // Raises the window above the desktop's others and gives it the keyboard.
  virtual void BringToFront() = 0;
};

constexpr int mrNone = 0;
constexpr int mrOk = 1;
constexpr int mrCancel = 2;

// A top-level window: caption, size, region, position on the screen, show and modal show,
// close, the focused control with tab navigation, and the input entry points through which the
// presenter and the test driver deliver mouse and keyboard events.
class TForm : public TWinControl {
 public:
  explicit TForm(TComponent* owner);
  ~TForm() override;
  std::string ClassName() const override { return "TForm"; }

  // The framework's AfterConstruction: runs OnCreate once the object is complete.
  void AfterConstruction();

  int ClientWidth() const { return Width(); }
  int ClientHeight() const { return Height(); }
  void SetClientSize(int width, int height) { SetBounds(Left(), Top(), width, height); }
  TPosition Position() const { return position_; }
  void SetPosition(TPosition p) {
    TK_ASSERT_MAIN_THREAD("a form");
    position_ = p;
  }
  bool KeyPreview() const { return key_preview_; }
  void SetKeyPreview(bool preview) {
    TK_ASSERT_MAIN_THREAD("a form");
    key_preview_ = preview;
  }

  int ShowModal();
  bool Modal() const { return modal_; }
  int ModalResult() const { return modal_result_; }
  void SetModalResult(int result) {
    TK_ASSERT_MAIN_THREAD("a form");
    modal_result_ = result;
  }
  // Asks OnCloseQuery whether the form may close.
  virtual bool CloseQuery();
  // Closes the form once the close query allows it (a refused close changes nothing): a modal
  // form ends its modal display with mrCancel; the main form ends the program; any other hides
  // (after OnClose, which may keep it).
  void Close();
  // A close from the desktop: the window manager's close (Alt+F4, a title bar, a task bar, a
  // pager). A window under the innermost modal window is disabled, as the platform disables a
  // modal window's owners: it only brings the modal window to the front.
  void CloseFromDesktop();

  TNotifyEvent OnCreate;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TCloseQueryEvent OnCloseQuery;
  TCloseEvent OnClose;

  // Focus.
  TWinControl* ActiveControl() const { return active_; }
  // Moves the focus to `control` (nullptr: to the form itself). The exit handler of the control
  // that loses the focus may move the focus elsewhere (or keep it); the change then stops.
  // Returns whether `control` has the focus afterwards.
  bool FocusControl(TWinControl* control);
  // Moves the focus to the next (or previous) tab stop of the form, wrapping around.
  void SelectNext(TWinControl* current, bool forward);
  // Whether this form takes input now (it is shown and no other form is modal above it).
  bool AcceptsInput() const;
  // Whether another form is the innermost modal one while this one is shown; that one is then
  // brought to the front, which is all that input aimed at this form does.
  bool RaiseModalAbove();

  // Input, in the form's client coordinates.
  void MouseMoveAt(int x, int y, TShiftState shift = 0);
  void MouseDownAt(TMouseButton button, int x, int y, TShiftState shift = 0);
  void MouseUpAt(TMouseButton button, int x, int y, TShiftState shift = 0);
  void MouseLeaveForm();
  void MouseWheelAt(int x, int y, int delta);
  // A key pressed; returns true when it was handled as a key (Tab navigation, a button's Enter)
  // and produces no typed character.
  bool KeyDown(uint16_t key, TShiftState shift = 0);
  void KeyChar(char16_t key);
  void PasteText(const std::string& text) override;

  // The topmost control that takes the mouse at that point, the form itself for its background,
  // nullptr outside the window region.
  TControl* ControlAt(int x, int y) const;
  TControl* HoverControl() const { return hovered_; }
  // Re-evaluates the control under the mouse after the window changed beneath it.
  void UpdateHover();
  bool MouseInside() const { return mouse_inside_; }

  // Moving the window by its caption (the system command of a skinned window's background).
  void StartMoveByCaption();
  int MoveRequests() const { return move_requests_; }
  void SetWindow(TFormWindow* window) { window_ = window; }
  TFormWindow* Window() const { return window_; }

  bool Dirty() const { return dirty_; }
  void MarkDirty() { dirty_ = true; }
  void ClearDirty() { dirty_ = false; }

  // Called by controls.
  void ShowingChanged(TControl* control);
  void ControlDestroyed(TControl* control);
  void ControlDisabled(TControl* control);

 protected:
  void VisibleChanged() override;
  virtual void DoShow();

 private:
  void ApplyPosition();
  TControl* HitTest(const TWinControl* container, int x, int y) const;

  TPosition position_ = TPosition::poDesigned;
  bool key_preview_ = false;
  bool modal_ = false;
  int modal_result_ = mrNone;
  TWinControl* active_ = nullptr;
  uint64_t focus_generation_ = 0;

  TControl* hovered_ = nullptr;
  TControl* captured_ = nullptr;
  bool mouse_inside_ = false;
  int mouse_x_ = 0, mouse_y_ = 0;
  TControl* last_down_control_ = nullptr;
  uint64_t last_down_ms_ = 0;
  int last_down_x_ = 0, last_down_y_ = 0;
  bool suppress_click_ = false;

  int move_requests_ = 0;
  TFormWindow* window_ = nullptr;
  bool dirty_ = true;
};

// The screen: its size (for centring), the forms and the cursor.
class TScreen {
 public:
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetSize(int width, int height) {
    width_ = width;
    height_ = height;
  }
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor cursor);
  const std::vector<TForm*>& Forms() const { return forms_; }
  void AddForm(TForm* form) { forms_.push_back(form); }
  void RemoveForm(TForm* form);

 private:
  int width_ = 1920;
  int height_ = 1080;
  TCursor cursor_ = crDefault;
  std::vector<TForm*> forms_;
};

extern TScreen* Screen;

// The double-click interval of the desktop.
constexpr uint32_t kDoubleClickMs = 500;
