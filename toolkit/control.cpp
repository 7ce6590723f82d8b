#include "toolkit/control.h"

#include <algorithm>

#include "toolkit/form.h"
#include "toolkit/main_thread.h"

TControl::TControl(TComponent* owner) : TComponent(owner) {
  font_.OnChange = [this] { Invalidate(); };
}

TControl::~TControl() {
  if (TForm* form = ParentForm()) form->ControlDestroyed(this);
  if (parent_) {
    auto& siblings = parent_->controls_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
  }
}

void TControl::SetParent(TWinControl* parent) {
  TK_ASSERT_MAIN_THREAD("a control's parent");
  if (parent_ == parent) return;
  if (parent_) {
    auto& siblings = parent_->controls_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
  }
  parent_ = parent;
  if (parent_) {
    if (auto* self = dynamic_cast<TWinControl*>(this); self && self->tab_order_ < 0) {
      self->tab_order_ = static_cast<int>(parent_->TabOrderedChildren().size());
    }
    parent_->controls_.push_back(this);
    // Like the framework's ParentFont: a new child starts with its parent's font.
    font_.Assign(parent_->font_);
  }
  Invalidate();
}

TForm* TControl::ParentForm() const {
  const TControl* c = this;
  while (c->parent_) c = c->parent_;
  return const_cast<TForm*>(dynamic_cast<const TForm*>(c));
}

void TControl::SetBounds(int left, int top, int width, int height) {
  TK_ASSERT_MAIN_THREAD("a control's bounds");
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  Invalidate();
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  Invalidate();
}

void TControl::SetVisible(bool visible) {
  TK_ASSERT_MAIN_THREAD("a control's visibility");
  if (visible_ == visible) return;
  visible_ = visible;
  VisibleChanged();
  if (TForm* form = ParentForm()) form->ShowingChanged(this);
  Invalidate();
}

bool TControl::Showing() const {
  for (const TControl* c = this; c; c = c->parent_) {
    if (!c->visible_) return false;
    if (!c->parent_) return dynamic_cast<const TForm*>(c) != nullptr;
  }
  return false;
}

void TControl::SetEnabled(bool enabled) {
  TK_ASSERT_MAIN_THREAD("a control's enabled state");
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  if (!enabled) {
    if (TForm* form = ParentForm()) form->ControlDisabled(this);
  }
  Invalidate();
}

bool TControl::EffectivelyEnabled() const {
  for (const TControl* c = this; c; c = c->parent_) {
    if (!c->enabled_) return false;
  }
  return true;
}

void TControl::SetCaption(std::string caption) {
  TK_ASSERT_MAIN_THREAD("a caption");
  if (caption_ == caption) return;
  caption_ = std::move(caption);
  CaptionChanged();
  Invalidate();
}

void TControl::SetColor(TColor color) {
  TK_ASSERT_MAIN_THREAD("a control's colour");
  if (color_ == color) return;
  color_ = color;
  Invalidate();
}

TPoint TControl::ClientToForm(TPoint p) const {
  for (const TControl* c = this; c && c->parent_; c = c->parent_) {
    p.X += c->left_;
    p.Y += c->top_;
  }
  return p;
}

void TControl::Invalidate() {
  if (TForm* form = ParentForm()) form->MarkDirty();
}

void TControl::Click() {
  if (OnClick) OnClick(this);
}
void TControl::DblClick() {
  if (OnDblClick) OnDblClick(this);
}
void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}
void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}
void TControl::MouseMove(TShiftState shift, int x, int y) {
  if (OnMouseMove) OnMouseMove(this, shift, x, y);
}
void TControl::MouseEnter() {
  if (OnMouseEnter) OnMouseEnter(this);
}
void TControl::MouseLeave() {
  if (OnMouseLeave) OnMouseLeave(this);
}

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
  for (TControl* c : controls_) c->parent_ = nullptr;
}

bool TWinControl::ContainsControl(const TControl* c) const {
  for (; c; c = c->Parent()) {
    if (c == this) return true;
  }
  return false;
}

void TWinControl::BringToFront(TControl* child) {
  auto it = std::find(controls_.begin(), controls_.end(), child);
  if (it == controls_.end()) return;
  controls_.erase(it);
  controls_.push_back(child);
  Invalidate();
}

void TWinControl::SetTabOrder(int order) {
  TK_ASSERT_MAIN_THREAD("a tab order");
  tab_order_ = order;
}

bool TWinControl::CanFocus() const {
  // A window under a modal one keeps its own focus, which its handlers may move (a page change
  // made while a dialog is shown); only the input stays with the modal window.
  return Showing() && EffectivelyEnabled() && ParentForm() != nullptr;
}

bool TWinControl::Focused() const {
  TForm* form = ParentForm();
  return form && form->ActiveControl() == this;
}

void TWinControl::SetFocus() {
  if (TForm* form = ParentForm()) form->FocusControl(this);
}

void TWinControl::SelectFirst() {
  TForm* form = ParentForm();
  if (!form) return;
  std::vector<TWinControl*> list;
  GetTabOrderList(list);
  for (TWinControl* c : list) {
    if (c->TabStop() && c->CanFocus()) {
      form->FocusControl(c);
      return;
    }
  }
}

std::vector<TWinControl*> TWinControl::TabOrderedChildren() const {
  std::vector<TWinControl*> list;
  for (TControl* c : controls_) {
    if (auto* w = dynamic_cast<TWinControl*>(c)) list.push_back(w);
  }
  std::stable_sort(list.begin(), list.end(),
                   [](const TWinControl* a, const TWinControl* b) { return a->tab_order_ < b->tab_order_; });
  return list;
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& list) const {
  for (TWinControl* child : TabOrderedChildren()) {
    list.push_back(child);
    child->GetTabOrderList(list);
  }
}

void TWinControl::DoEnter() {
  if (OnEnter) OnEnter(this);
}

void TWinControl::DoExit() {
  if (OnExit) OnExit(this);
}

void TWinControl::KeyPress(char16_t& key) {
  if (OnKeyPress) OnKeyPress(this, key);
}

bool TWinControl::HandleKeyDown(uint16_t key, TShiftState shift) {
  (void)key;
  (void)shift;
  return false;
}
