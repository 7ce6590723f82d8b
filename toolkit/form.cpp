#include "toolkit/form.h"

#include <algorithm>
#include <cstdlib>

#include "platform/clock.h"
#include "toolkit/application.h"
#include "toolkit/main_thread.h"

namespace {
TScreen g_screen;

void ForEachControl(TControl* root, const std::function<void(TControl*)>& visit) {
  visit(root);
  if (auto* w = dynamic_cast<TWinControl*>(root)) {
    const std::vector<TControl*> children = w->Controls();
    for (TControl* c : children) ForEachControl(c, visit);
  }
}
}  // namespace

TScreen* Screen = &g_screen;

void TScreen::SetCursor(TCursor cursor) {
  TK_ASSERT_MAIN_THREAD("the screen cursor");
  cursor_ = cursor;
}

void TScreen::RemoveForm(TForm* form) { forms_.erase(std::remove(forms_.begin(), forms_.end(), form), forms_.end()); }

void TWinControl::SetWindowRegion(std::optional<TWindowRegion> region) {
  TK_ASSERT_MAIN_THREAD("a window region");
  region_ = region;
  Invalidate();
}

bool TWindowRegion::Contains(int x, int y) const {
  if (x < Left || x >= Right || y < Top || y >= Bottom) return false;
  const double rx = EllipseWidth / 2.0, ry = EllipseHeight / 2.0;
  if (rx <= 0 || ry <= 0) return true;
  // Distance into a corner square, measured from the corner ellipse's centre.
  const double px = x + 0.5, py = y + 0.5;
  double cx = 0, cy = 0;
  if (px < Left + rx) {
    cx = Left + rx;
  } else if (px > Right - rx) {
    cx = Right - rx;
  } else {
    return true;
  }
  if (py < Top + ry) {
    cy = Top + ry;
  } else if (py > Bottom - ry) {
    cy = Bottom - ry;
  } else {
    return true;
  }
  const double dx = (px - cx) / rx, dy = (py - cy) / ry;
  return dx * dx + dy * dy <= 1.0;
}

TForm::TForm(TComponent* owner) : TWinControl(owner) {
  SetVisible(false);
  Font()->SetName("Tahoma");
  Screen->AddForm(this);
}

TForm::~TForm() { Screen->RemoveForm(this); }

void TForm::AfterConstruction() {
  if (OnCreate) OnCreate(this);
}

void TForm::ApplyPosition() {
  int cx = 0, cy = 0, cw = 0, ch = 0;
  switch (position_) {
    case TPosition::poDesigned:
      return;
    case TPosition::poScreenCenter:
      cw = Screen->Width();
      ch = Screen->Height();
      break;
    case TPosition::poMainFormCenter:
    case TPosition::poOwnerFormCenter: {
      const TForm* center = Application ? Application->MainForm() : nullptr;
      if (position_ == TPosition::poOwnerFormCenter) {
        if (auto* owner_form = dynamic_cast<const TForm*>(Owner())) center = owner_form;
      }
      if (!center || center == this) {
        cw = Screen->Width();
        ch = Screen->Height();
      } else {
        cx = center->Left();
        cy = center->Top();
        cw = center->Width();
        ch = center->Height();
      }
      break;
    }
  }
  SetBounds(cx + (cw - Width()) / 2, cy + (ch - Height()) / 2, Width(), Height());
}

void TForm::VisibleChanged() {
  if (Visible()) {
    ApplyPosition();
    DoShow();
  } else {
    if (OnHide) OnHide(this);
    MouseLeaveForm();
  }
}

void TForm::DoShow() {
  if (OnShow) OnShow(this);
}

int TForm::ShowModal() {
  TK_ASSERT_MAIN_THREAD("a modal form");
  if (Visible() || modal_) throw std::logic_error("Cannot make a visible window modal");
  modal_ = true;
  modal_result_ = mrNone;
  // Whatever the mouse hovered in the other windows is left.
  for (TForm* f : Screen->Forms()) {
    if (f != this) f->MouseLeaveForm();
  }
  Show();
  Application->RunModalLoop(this);
  modal_ = false;
  Hide();
  return modal_result_;
}

bool TForm::CloseQuery() {
  bool can_close = true;
  if (OnCloseQuery) OnCloseQuery(this, can_close);
  return can_close;
}

void TForm::Close() {
  TK_ASSERT_MAIN_THREAD("a form");
  if (!CloseQuery()) return;
  if (modal_) {
    modal_result_ = mrCancel;
    return;
  }
  TCloseAction action = TCloseAction::caHide;
  if (OnClose) OnClose(this, action);
  if (action == TCloseAction::caNone) return;
  if (Application && Application->MainForm() == this) {
    Application->Terminate();
  } else if (action == TCloseAction::caMinimize) {
    Application->Minimize();
  } else {
    Hide();
  }
}

void TForm::CloseFromDesktop() {
  if (RaiseModalAbove()) return;
  Close();
}

bool TForm::AcceptsInput() const {
  if (!Visible()) return false;
  if (Application && !Application->ModalForms().empty()) return Application->ModalForms().back() == this;
  return true;
}

bool TForm::RaiseModalAbove() {
  if (!Visible() || !Application || Application->ModalForms().empty()) return false;
  TForm* modal = Application->ModalForms().back();
  if (modal == this) return false;
  if (TFormWindow* window = modal->Window()) window->BringToFront();
  return true;
}

bool TForm::FocusControl(TWinControl* control) {
  TK_ASSERT_MAIN_THREAD("the focus");
  if (control && (control == this || !control->CanFocus())) {
    if (control != this) return active_ == control;
    control = nullptr;
  }
  const uint64_t generation = ++focus_generation_;
  if (control == active_) return true;
  if (TWinControl* leaving = active_) {
    leaving->DoExit();
    // The exit handler moved the focus itself (kept it, or sent it elsewhere): that wins.
    if (generation != focus_generation_) return active_ == control;
  }
  active_ = control;
  if (active_) active_->DoEnter();
  return active_ == control;
}

void TForm::SelectNext(TWinControl* current, bool forward) {
  std::vector<TWinControl*> list;
  GetTabOrderList(list);
  if (list.empty()) return;
  const auto it = std::find(list.begin(), list.end(), current);
  const int n = static_cast<int>(list.size());
  int start = it == list.end() ? (forward ? -1 : n) : static_cast<int>(it - list.begin());
  for (int step = 1; step <= n; ++step) {
    const int i = ((start + (forward ? step : -step)) % n + n) % n;
    TWinControl* candidate = list[i];
    if (candidate == current) return;
    if (candidate->TabStop() && candidate->CanFocus()) {
      FocusControl(candidate);
      return;
    }
  }
}

TControl* TForm::HitTest(const TWinControl* container, int x, int y) const {
  const auto& children = container->Controls();
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    TControl* c = *it;
    if (!c->Visible() || !c->Enabled() || !c->BoundsRect().Contains(x, y)) continue;
    if (auto* w = dynamic_cast<TWinControl*>(c)) {
      if (!w->InRegion(x - c->Left(), y - c->Top())) continue;
      TControl* inner = HitTest(w, x - c->Left(), y - c->Top());
      return inner ? inner : c;
    }
    return c;
  }
  return nullptr;
}

TControl* TForm::ControlAt(int x, int y) const {
  if (!InRegion(x, y)) return nullptr;
  if (x < 0 || y < 0 || x >= Width() || y >= Height()) return nullptr;
  TControl* hit = HitTest(this, x, y);
  return hit ? hit : const_cast<TForm*>(this);
}

namespace {
TPoint ToLocal(const TControl* c, int x, int y) {
  const TPoint origin = c->ClientToForm({0, 0});
  return {x - origin.X, y - origin.Y};
}
}  // namespace

void TForm::UpdateHover() {
  if (captured_) return;
  TControl* now = mouse_inside_ && AcceptsInput() ? ControlAt(mouse_x_, mouse_y_) : nullptr;
  if (now == hovered_) return;
  TControl* old = hovered_;
  hovered_ = now;
  if (old) old->MouseLeave();
  if (hovered_ == now && now) now->MouseEnter();
}

void TForm::MouseMoveAt(int x, int y, TShiftState shift) {
  mouse_inside_ = true;
  mouse_x_ = x;
  mouse_y_ = y;
  if (!AcceptsInput()) {
    UpdateHover();
    return;
  }
  UpdateHover();
  TControl* target = captured_ ? captured_ : hovered_;
  if (target) {
    const TPoint p = ToLocal(target, x, y);
    target->MouseMove(shift, p.X, p.Y);
  }
  UpdateHover();
}

void TForm::MouseDownAt(TMouseButton button, int x, int y, TShiftState shift) {
  if (!mouse_inside_ || x != mouse_x_ || y != mouse_y_) MouseMoveAt(x, y, shift);
  if (!AcceptsInput()) {
    RaiseModalAbove();
    return;
  }
  TControl* hit = ControlAt(x, y);
  if (!hit) return;
  captured_ = hit;
  const uint64_t now = platform::CurrentClock().NowMs();
  const bool double_click = button == TMouseButton::mbLeft && hit == last_down_control_ &&
                            now - last_down_ms_ <= kDoubleClickMs && std::abs(x - last_down_x_) <= 4 &&
                            std::abs(y - last_down_y_) <= 4;
  if (button == TMouseButton::mbLeft) {
    last_down_control_ = double_click ? nullptr : hit;
    last_down_ms_ = now;
    last_down_x_ = x;
    last_down_y_ = y;
  }
  suppress_click_ = double_click || button != TMouseButton::mbLeft;
  if (hit->TakesFocusOnClick()) {
    if (auto* w = dynamic_cast<TWinControl*>(hit)) FocusControl(w);
  }
  if (captured_ != hit) return;  // a handler took the mouse away
  const TPoint p = ToLocal(hit, x, y);
  hit->MouseDown(button, shift | (double_click ? ssDouble : 0u), p.X, p.Y);
  if (double_click && captured_ == hit) hit->DblClick();
}

void TForm::MouseUpAt(TMouseButton button, int x, int y, TShiftState shift) {
  TControl* target = captured_;
  captured_ = nullptr;
  mouse_x_ = x;
  mouse_y_ = y;
  if (target && AcceptsInput()) {
    const TPoint p = ToLocal(target, x, y);
    target->MouseUp(button, shift, p.X, p.Y);
    if (!suppress_click_ && button == TMouseButton::mbLeft && p.X >= 0 && p.Y >= 0 && p.X < target->Width() &&
        p.Y < target->Height()) {
      target->Click();
    }
  }
  UpdateHover();
}

void TForm::MouseWheelAt(int x, int y, int delta) {
  if (!AcceptsInput()) return;
  for (TControl* c = ControlAt(x, y); c; c = c->Parent()) {
    if (c->Enabled() && c->MouseWheel(delta)) return;
  }
}

void TForm::MouseLeaveForm() {
  mouse_inside_ = false;
  captured_ = nullptr;
  UpdateHover();
}

bool TForm::KeyDown(uint16_t key, TShiftState shift) {
  if (!AcceptsInput()) {
    RaiseModalAbove();
    return true;
  }
  if (key == VK_TAB && !(shift & (ssCtrl | ssAlt))) {
    SelectNext(active_, !(shift & ssShift));
    return true;
  }
  TWinControl* target = active_ && active_->CanFocus() ? active_ : nullptr;
  return target && target->HandleKeyDown(key, shift);
}

void TForm::KeyChar(char16_t key) {
  if (!AcceptsInput()) return;
  TWinControl* target = active_ && active_->CanFocus() ? active_ : nullptr;
  if (key_preview_ || !target) {
    TWinControl::KeyPress(key);
    if (key == 0 || !target) return;
  }
  target->KeyPress(key);
  if (key != 0) target->HandleChar(key);
}

void TForm::PasteText(const std::string& text) {
  if (!AcceptsInput()) return;
  if (active_ && active_->CanFocus()) active_->PasteText(text);
}

void TForm::StartMoveByCaption() {
  captured_ = nullptr;
  ++move_requests_;
  if (window_) window_->StartMoveByCaption();
}

void TForm::ShowingChanged(TControl* control) {
  ForEachControl(control, [](TControl* c) { c->UpdateShowing(); });
}

void TForm::ControlDestroyed(TControl* control) {
  if (hovered_ == control) hovered_ = nullptr;
  if (captured_ == control) captured_ = nullptr;
  if (last_down_control_ == control) last_down_control_ = nullptr;
  if (active_ == control) active_ = nullptr;
}

void TForm::ControlDisabled(TControl* control) {
  if (auto* w = dynamic_cast<TWinControl*>(control); w && active_ && w->ContainsControl(active_)) {
    FocusControl(nullptr);
  }
  if (hovered_ && (hovered_ == control)) UpdateHover();
}
