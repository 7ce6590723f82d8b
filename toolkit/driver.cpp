#include "toolkit/driver.h"

#include "platform/unicode.h"

TControl* TDriver::Find(const std::string& name) const {
  if (form_->Name() == name) return form_;
  auto* c = dynamic_cast<TControl*>(form_->FindComponent(name));
  if (!c) throw std::invalid_argument(form_->Name() + " has no control " + name);
  return c;
}

TPoint TDriver::CenterOf(const std::string& name) const {
  const TControl* c = Find(name);
  return c->ClientToForm({c->Width() / 2, c->Height() / 2});
}

void TDriver::MoveTo(int x, int y) { form_->MouseMoveAt(x, y); }

void TDriver::MoveTo(const std::string& name) {
  const TPoint p = CenterOf(name);
  MoveTo(p.X, p.Y);
}

void TDriver::LeaveForm() { form_->MouseLeaveForm(); }

void TDriver::Press(int x, int y, TMouseButton button) {
  form_->MouseMoveAt(x, y);
  form_->MouseDownAt(button, x, y);
}

void TDriver::Release(int x, int y, TMouseButton button) { form_->MouseUpAt(button, x, y); }

void TDriver::ClickAt(int x, int y, TMouseButton button) {
  Press(x, y, button);
  Release(x, y, button);
}

void TDriver::Click(const std::string& name) {
  const TPoint p = CenterOf(name);
  ClickAt(p.X, p.Y);
}

void TDriver::DoubleClick(const std::string& name) {
  Click(name);
  Click(name);
}

void TDriver::Key(uint16_t key, TShiftState shift) {
  if (form_->KeyDown(key, shift)) return;
  switch (key) {
    case VK_RETURN:
    case VK_BACK:
    case VK_ESCAPE:
    case VK_SPACE:
      form_->KeyChar(static_cast<char16_t>(key));
      break;
    default:
      break;
  }
}

void TDriver::Type(std::string_view text) {
  for (char16_t unit : platform::Utf8ToUtf16(text)) form_->KeyChar(unit);
}

void TDriver::CtrlV() {
  if (!form_->KeyDown(VK_V, ssCtrl)) form_->KeyChar(22);
}

void TDriver::Paste(const std::string& text) { form_->PasteText(text); }
