#pragma once

#include <optional>
#include <string>
#include <vector>

#include "toolkit/component.h"
#include "toolkit/font.h"
#include "toolkit/main_thread.h"
#include "toolkit/types.h"

class TWinControl;
class TForm;

// A rounded-rectangle window region: edges and the size of the corner ellipse.
struct TWindowRegion {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  int EllipseWidth = 0;
  int EllipseHeight = 0;
  bool Contains(int x, int y) const;
};

// A visual control: position and size in its parent's coordinates, visibility, enabled state,
// caption, font and the mouse events. Every change runs on the main thread.
class TControl : public TComponent {
 public:
  explicit TControl(TComponent* owner);
  ~TControl() override;

  TWinControl* Parent() const { return parent_; }
  void SetParent(TWinControl* parent);
  // The form this control belongs to (through its parents), or nullptr.
  TForm* ParentForm() const;

  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
  void SetTop(int v) { SetBounds(left_, v, width_, height_); }
  void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
  void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
  virtual void SetBounds(int left, int top, int width, int height);
  TRect BoundsRect() const { return {left_, top_, left_ + width_, top_ + height_}; }
  // Where the window's layout placed the control (recorded when the layout is loaded).
  const TRect& LayoutBounds() const { return layout_bounds_; }
  void RecordLayoutBounds() { layout_bounds_ = BoundsRect(); }

  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // Visible with all its parents, up to a visible form.
  bool Showing() const;

  bool Enabled() const { return enabled_; }
  virtual void SetEnabled(bool enabled);
  // Enabled with all its parents.
  bool EffectivelyEnabled() const;

  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption);

  TFont* Font() { return &font_; }
  const TFont& GetFont() const { return font_; }
  TColor Color() const { return color_; }
  void SetColor(TColor color);

  // Position of a point of this control in its form's client coordinates.
  TPoint ClientToForm(TPoint p) const;

  // Asks the form to repaint.
  void Invalidate();
  void Repaint() { Invalidate(); }

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;

  // What the control does on input; the defaults run the events above.
  virtual void Click();
  virtual void DblClick();
  virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseMove(TShiftState shift, int x, int y);
  virtual void MouseEnter();
  // The mouse wheel turned over the control (positive: away from the user); true when the
  // control scrolled. A control that does not passes the wheel on to its parent.
  virtual bool MouseWheel(int delta) {
    (void)delta;
    return false;
  }
  virtual void MouseLeave();

  virtual bool IsWinControl() const { return false; }
  // Whether a click on the control moves the keyboard focus to it.
  virtual bool TakesFocusOnClick() const { return false; }
  // Called after the visibility of the control or of one of its parents changed.
  virtual void UpdateShowing() {}

 protected:
  // Caption changes of a subclass (auto-size labels re-measure).
  virtual void CaptionChanged() {}
  virtual void VisibleChanged() {}

 private:
  friend class TWinControl;
  TWinControl* parent_ = nullptr;
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  TRect layout_bounds_;
  bool visible_ = true;
  bool enabled_ = true;
  std::string caption_;
  TFont font_;
  TColor color_ = clBtnFace;
};

// A control that holds children (in z-order: later children lie on top) and can take the
// keyboard focus.
class TWinControl : public TControl {
 public:
  explicit TWinControl(TComponent* owner);
  ~TWinControl() override;
  bool IsWinControl() const override { return true; }

  const std::vector<TControl*>& Controls() const { return controls_; }
  int ControlCount() const { return static_cast<int>(controls_.size()); }
  bool ContainsControl(const TControl* c) const;
  void BringToFront(TControl* child);

  // The window region (SetWindowRgn): the part of the control that is painted and takes the
  // mouse, in its own coordinates; none means all of it.
  const std::optional<TWindowRegion>& WindowRegion() const { return region_; }
  void SetWindowRegion(std::optional<TWindowRegion> region);
  bool InRegion(int x, int y) const { return !region_ || region_->Contains(x, y); }

  int TabOrder() const { return tab_order_; }
  void SetTabOrder(int order);
  bool TabStop() const { return tab_stop_; }
  void SetTabStop(bool stop) {
    TK_ASSERT_MAIN_THREAD("a tab stop");
    tab_stop_ = stop;
  }
  // Visible, enabled (with its parents) and on a showing form.
  virtual bool CanFocus() const;
  bool Focused() const;
  void SetFocus();
  // Gives the focus to the first tab stop among this control's window controls.
  void SelectFirst();
  // The children that are window controls, in tab order.
  std::vector<TWinControl*> TabOrderedChildren() const;
  // This control's window controls in tab order, depth first.
  void GetTabOrderList(std::vector<TWinControl*>& list) const;

  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;
  TKeyPressEvent OnKeyPress;

  // Focus changes; the form calls them.
  virtual void DoEnter();
  virtual void DoExit();
  // A typed character (after OnKeyPress let it through), and key presses.
  virtual void KeyPress(char16_t& key);
  virtual void HandleChar(char16_t key) { (void)key; }
  virtual bool HandleKeyDown(uint16_t key, TShiftState shift);
  // Text pasted without typed characters.
  virtual void PasteText(const std::string& text) { (void)text; }

 private:
  friend class TControl;
  std::vector<TControl*> controls_;
  std::optional<TWindowRegion> region_;
  int tab_order_ = -1;
  bool tab_stop_ = false;
};
